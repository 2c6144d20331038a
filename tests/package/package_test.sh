#!/usr/bin/env bash
# Installs the engine from a build tree into a temporary prefix and builds a small program
# against it twice: with find_package(Vornek) and with pkg-config. Both programs must run. The
# game is built the same way, which shows that it needs nothing but the public header.
#   package_test.sh BUILD_DIR CXX_COMPILER GAME_SOURCE_DIR
set -euo pipefail
build=$1
cxx=$2
game=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
echo "installed:"
(cd "$prefix" && find . -type f | sort)

echo "== find_package(Vornek)"
cmake -S "$here/consumer" -B "$work/with-cmake" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/with-cmake" >/dev/null
"$work/with-cmake/consumer"

echo "== pkg-config vornek"
pc=$(find "$prefix" -name vornek.pc)
export PKG_CONFIG_PATH=$(dirname "$pc")
read -r -a flags <<<"$(pkg-config --cflags --libs vornek)"
"$cxx" -std=c++17 -o "$work/with-pkg-config" "$here/consumer/consumer.cpp" "${flags[@]}"
"$work/with-pkg-config"

echo "== the game against the installed engine"
"$cxx" -std=c++20 -fexec-charset=CP932 -o "$work/pellimar" "$game"/*.cpp "${flags[@]}"
echo "built"
