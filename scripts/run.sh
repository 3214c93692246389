#!/usr/bin/env bash
# Sets up the machine, builds Kalido and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release
exec build/release/src/app/Kalido "$@"
