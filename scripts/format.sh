#!/usr/bin/env bash
# Formats the tree's C and C++ sources by .clang-format (needs clang-format: apt-get install
# clang-format). With --check, changes nothing and fails listing the files that differ.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.h' '*.cpp')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run -Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
