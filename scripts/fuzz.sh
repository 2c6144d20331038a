#!/usr/bin/env bash
# Runs one of the fuzzers in the sanitizer build for as long as asked, seed after seed, and
# prints its figures (seeds, calls or decodes, time and findings). A failing seed is printed
# with the way to replay it (build-asan/tests/<fuzzer> --seed N).
#   scripts/fuzz.sh [api|images|sound] [SECONDS] [FIRST_SEED]
#     api      public calls with hostile and ordinary arguments (the default)
#     images   the image readers on mutated files
#     sound    the sound decoders on damaged wave and Ogg files
set -euo pipefail
cd "$(dirname "$0")/.."

target=api
case "${1:-}" in
  api|images|sound) target=$1; shift ;;
  ''|[0-9]*) ;;
  *) echo "usage: scripts/fuzz.sh [api|images|sound] [SECONDS] [FIRST_SEED]" >&2; exit 2 ;;
esac
case $target in
  api) program=api_fuzz ;;
  images) program=image_fuzz ;;
  sound) program=sound_fuzz ;;
esac
seconds=${1:-600}
first_seed=${2:-$(date +%s)}
scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVORNEK_SANITIZE=ON -DVORNEK_WERROR=ON -DVORNEK_BENCH=OFF \
  -DVORNEK_MIDI=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "build-asan/tests/$program" --seconds "$seconds" --first-seed "$first_seed"
