#!/usr/bin/env bash
# Sets up the machine, builds and runs every test: the developer build, then the
# AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh default
ctest --preset default -j "$(nproc)"
bash scripts/build.sh asan
ctest --preset asan -j "$(nproc)"
