#!/usr/bin/env bash
# Runs the game soak in the sanitizer build: the game's loop on the fake platform with random
# mouse and keyboard input, the board's invariants checked after every tick, the memory report
# checked empty at the end. Prints ticks, frames, swaps, vanished and entered balls, time and
# findings.
#   scripts/soak.sh [TICKS] [SEED] [DRAW_EVERY]   (default 10000000 ticks, a frame every 100)
set -euo pipefail
cd "$(dirname "$0")/.."

ticks=${1:-10000000}
seed=${2:-$(date +%s)}
draw_every=${3:-100}
scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVORNEK_SANITIZE=ON -DVORNEK_WERROR=ON -DVORNEK_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec build-asan/tests/game_soak --ticks "$ticks" --seed "$seed" --draw-every "$draw_every"
