#!/usr/bin/env bash
# Installs what the tests need, builds the release and the sanitizer builds and runs the whole
# test suite in each, on a virtual display of its own.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup.sh build -DCMAKE_BUILD_TYPE=Release -DVORNEK_WERROR=ON
# The sanitizer build leaves MIDI out, so that the build without FluidSynth (a fresh machine's)
# is compiled and tested even where FluidSynth is installed.
scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVORNEK_SANITIZE=ON -DVORNEK_WERROR=ON \
  -DVORNEK_BENCH=OFF -DVORNEK_MIDI=OFF
# A second compiler: clang builds the whole tree with warnings as errors, unoptimised since its
# diagnostics are the point, and runs the tests that need no display.
CC=clang CXX=clang++ scripts/setup.sh build-clang -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG=-O0 \
  -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DVORNEK_WERROR=ON -DVORNEK_BENCH=OFF

# Always on a virtual display of its own, also from a desktop session: the real-platform tests
# change display modes, move the pointer and press its buttons, and must never meet the
# player's desktop or a game running on it.
run_ctest() {
  local dir=$1
  shift
  echo "== tests in $dir $*"
  env -u WAYLAND_DISPLAY xvfb-run -a -s '-screen 0 1280x1024x24' ctest --test-dir "$dir" --output-on-failure -j2 "$@"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_ctest build
run_ctest build-asan
run_ctest build-clang -L unit
