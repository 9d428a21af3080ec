#!/usr/bin/env bash
# Sets up a Debian 12 machine for this project and builds it.
#   ./setup.sh              release build with debug info in build/
#   ./setup.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-san/ (what CI runs)
# Run as root (or with sudo) the first time: it installs the Debian packages the project needs.
# Safe to run again: installed packages are kept and the build is incremental.
set -euo pipefail
cd "$(dirname "$0")"

build_dir=build
cmake_args=()
for arg in "$@"; do
  case "$arg" in
    --sanitize) build_dir=build-san; cmake_args+=(-DTOV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done

packages=(build-essential binutils pkg-config cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev liblua5.1-0-dev libtinyxml-dev libjpeg62-turbo-dev libsdl2-dev libvorbis-dev libstb-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$build_dir" -G Ninja "${cmake_args[@]}"
cmake --build "$build_dir" -j "$(nproc)"
