#!/usr/bin/env bash
# Runs the sound decoder fuzzer in the sanitizer build for as long as asked, seed after seed,
# and prints the figures. A failing seed is printed with the way to replay it
# (VORNEK_FUZZ_SEED=N build-asan/tests/sound_fuzz_tests, or --seed N).
#   scripts/fuzz_sound.sh [SECONDS] [FIRST_SEED]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
first_seed=${2:-$(date +%s)}
scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVORNEK_SANITIZE=ON -DVORNEK_WERROR=ON -DVORNEK_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec build-asan/tests/sound_fuzz --seconds "$seconds" --first-seed "$first_seed"
