#!/usr/bin/env bash
# Runs the sprites example for a number of frames on the X display, in its own runtime directory,
# and checks the screenshot it saves of its last frame.
#   run_sprites.sh PROGRAM FRAMES
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  echo "skipped: no X display"
  exit 77
fi
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime "$1" --frames "$2" --screenshot "$runtime/sprites.png"
# A PNG of the whole 800 x 600 window.
head -c 24 "$runtime/sprites.png" | od -An -tx1 | tr -d ' \n' | grep -q '^89504e470d0a1a0a0000000d494844520000032000000258'
echo "$2 frames, screenshot saved"
