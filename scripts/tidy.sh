#!/usr/bin/env bash
# Runs the checks of .clang-tidy over the tree, as clang compiles it (needs clang-tidy:
# apt-get install clang-tidy). Prints nothing and exits 0 when the tree is clean.
#   scripts/tidy.sh [FILE...]    (default: every file of the build)
set -euo pipefail
cd "$(dirname "$0")/.."
# The clang build of ./test.sh, with the same options, so that the two share one tree.
CC=clang CXX=clang++ scripts/setup.sh build-clang -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG=-O0 \
  -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DVORNEK_WERROR=ON -DVORNEK_BENCH=OFF
out=$(mktemp)
trap 'rm -f "$out"' EXIT
if [ $# -gt 0 ]; then
  clang-tidy -p build-clang --quiet "$@" >"$out" 2>/dev/null || true
else
  run-clang-tidy -p build-clang -quiet -j "$(nproc)" >"$out" 2>/dev/null || true
fi
# Sources whose texts become Shift-JIS are compiled from copies in the build tree; their
# diagnostics name the originals already.
if grep -E 'warning:|error:' "$out" | sort -u; then
  exit 1
fi
