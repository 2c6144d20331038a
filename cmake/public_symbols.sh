#!/usr/bin/env bash
# Writes the names of the functions vornek.h declares, one a line, sorted: the only names the
# installed libraries may define globally.
#   public_symbols.sh HEADER OUTPUT
set -euo pipefail
grep -oE '^[A-Za-z_][A-Za-z0-9_ *]*[ *][A-Za-z_][A-Za-z0-9_]*\(' "$1" |
  sed -E 's/.*[ *]([A-Za-z_][A-Za-z0-9_]*)\($/\1/' | sort -u >"$2.new"
if [ ! -s "$2.new" ]; then
  echo "public_symbols.sh: no function found in $1" >&2
  exit 1
fi
mv "$2.new" "$2"
