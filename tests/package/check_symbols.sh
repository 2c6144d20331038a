#!/usr/bin/env bash
# Lists the global names a library defines (nm) and fails on any that is not a function of
# vornek.h: a static archive's external symbols, a shared library's dynamic ones.
#   check_symbols.sh PUBLIC_NAMES LIBRARY...
set -euo pipefail
public=$1
shift
status=0
for library in "$@"; do
  case $library in
    *.a) names=$(nm -g --defined-only "$library" | awk 'NF == 3 {print $3}' | sort -u) ;;
    *) names=$(nm -D --defined-only "$library" | awk 'NF == 3 {print $3}' | sed 's/@.*//' | sort -u) ;;
  esac
  if [ -z "$names" ]; then
    echo "$library: no global name at all" >&2
    status=1
    continue
  fi
  foreign=$(comm -23 <(echo "$names") <(sort -u "$public"))
  if [ -n "$foreign" ]; then
    echo "$library: global names outside the public API:" >&2
    echo "$foreign" | sed 's/^/  /' >&2
    status=1
  else
    echo "$library: $(echo "$names" | wc -l) global names, all public"
  fi
done
exit $status
