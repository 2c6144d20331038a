#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs the Debian packages the project needs (only when
# one is missing), then configures and builds one build tree.
#   scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential clang cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libpng-dev libjpeg-dev zlib1g-dev
  libepoxy-dev libgl1-mesa-dri libglx-mesa0 libegl-mesa0
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libx11-dev xvfb xauth xdotool python3 libxtst-dev
  libogg-dev libvorbis-dev vorbis-tools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "error: packages missing and not running as root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build_dir=$1
shift
# Configured every time, with the project's own options back at their defaults before the
# caller's are applied: the cache would otherwise keep what the last caller asked for, and
# ./run.sh followed by ./test.sh would test a build without -Werror and without the benchmarks.
# Configuring an existing tree takes a second or two.
cmake -S . -B "$build_dir" -G Ninja -Wno-dev -U 'VORNEK_*' "$@" >/dev/null
cmake --build "$build_dir" -- --quiet
