#!/usr/bin/env bash
# Turns the list of public names into a linker version script that exports them alone.
#   version_script.sh LIST OUTPUT
set -euo pipefail
{
  echo "{"
  echo "  global:"
  sed 's/.*/    &;/' "$1"
  echo "  local: *;"
  echo "};"
} >"$2"
