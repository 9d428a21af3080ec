#!/usr/bin/env bash
# Plays the demo chapter with the game built by ./setup.sh.
#   ./play.sh                          in a window
#   ./play.sh --headless --input FILE  without a display or sound device, driven by an input script
# Further arguments go to the game (its one switch is -f/--full). The game runs in a copy of the
# data folder (build/play/), where its log "megalog.log" and crash reports land; profiles and
# "config.sta" live in $XDG_DATA_HOME/orlimand/profiles (else ~/.local/share/...). A headless run
# steps a fixed clock of 100 ms per turn and keeps its profiles inside the run folder, so the
# user's own are never touched. The exit status is the game's (its 666 reads as 154).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
game="$root/build/game"
data="${TOV_DATA:-$root/demo}"
args=()
headless=0
while (($#)); do
  case "$1" in
    --headless) headless=1 ;;
    --input)
      [[ $# -ge 2 ]] || { echo "usage: $0 [--headless] [--input FILE] [game options]" >&2; exit 2; }
      TOV_TEST_INPUT="$(realpath "$2")"
      export TOV_TEST_INPUT
      shift ;;
    *) args+=("$1") ;;
  esac
  shift
done
# A fresh machine gets its packages and first build; later runs build only what changed.
if [[ -x "$game" ]]; then
  cmake --build "$root/build" --target game >&2
else
  "$root/setup.sh" >&2
fi
[[ -d "$data" ]] || { echo "no data folder at $data" >&2; exit 2; }
work="$root/build/play"
rm -rf "$work"
mkdir -p "$work"
cp -a "$data/." "$work/"
if ((headless)); then
  export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
  export TOV_TEST_CLOCK_MS="${TOV_TEST_CLOCK_MS:-100}"
  export XDG_DATA_HOME="$work/.profiles" XDG_RUNTIME_DIR="$work/.run"
  mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
fi
cd "$work"
exec "$game" "${args[@]+"${args[@]}"}"
