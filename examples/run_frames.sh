#!/usr/bin/env bash
# Runs an example program for a number of frames on the X display, in its own runtime directory
# and single-copy scope.
#   run_frames.sh PROGRAM FRAMES
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  echo "skipped: no X display"
  exit 77
fi
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime VORNEK_INSTANCE_SCOPE=$runtime "$1" --frames "$2"
echo "$2 frames"
