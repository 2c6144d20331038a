#!/usr/bin/env bash
# Installs what the game needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build -DCMAKE_BUILD_TYPE=Release -DVORNEK_BENCH=OFF
exec build/pellimar "$@"
