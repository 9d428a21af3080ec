#!/usr/bin/env bash
# Runs every test headless (no display, no sound card needed).
#   ./test.sh              tests of build/
#   ./test.sh --sanitize   tests of build-san/ (what CI runs)
set -euo pipefail
cd "$(dirname "$0")"
build_dir=build
[[ "${1:-}" == "--sanitize" ]] && build_dir=build-san
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
ctest --test-dir "$build_dir" -j "$(nproc)" --output-on-failure --timeout 600
