#!/usr/bin/env bash
# Plays the demo chapter with the game built by ./setup.sh.
#   ./play.sh                          in a window
#   ./play.sh --headless --input FILE  without a display or sound device, driven by an input script
# Further arguments go to the game (its one switch is -f/--full). The game runs in a copy of the
# data folder (build/play/), where its log "megalog.log" and crash reports land; profiles and
# "config.sta" live in $XDG_DATA_HOME/orlimand/profiles (else ~/.local/share/...).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
game="$root/build/app/game"
data="${TOV_DATA:-$root/demo}"
args=()
while (($#)); do
  case "$1" in
    --headless) export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ;;
    --input)
      [[ $# -ge 2 ]] || { echo "usage: $0 [--headless] [--input FILE] [game options]" >&2; exit 2; }
      TOV_TEST_INPUT="$(realpath "$2")"
      export TOV_TEST_INPUT
      shift ;;
    *) args+=("$1") ;;
  esac
  shift
done
[[ -x "$game" ]] || { echo "$game is missing: run ./setup.sh first" >&2; exit 2; }
[[ -d "$data" ]] || { echo "no data folder at $data" >&2; exit 2; }
work="$root/build/play"
rm -rf "$work"
mkdir -p "$work"
cp -a "$data/." "$work/"
cd "$work"
exec "$game" "${args[@]+"${args[@]}"}"
