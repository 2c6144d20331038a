#!/usr/bin/env bash
# Runs the image fuzzer in the sanitizer build for as long as asked, seed after seed, and prints
# seeds, decodes, mutants still accepted, time and findings. A failing seed is printed with its
# replay: build-asan/tests/image_fuzz --seed N.
#   scripts/fuzz_images.sh [SECONDS] [FIRST_SEED]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
first_seed=${2:-$(date +%s)}
scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVORNEK_SANITIZE=ON -DVORNEK_WERROR=ON -DVORNEK_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec build-asan/tests/image_fuzz --seconds "$seconds" --first-seed "$first_seed"
