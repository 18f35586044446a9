#!/usr/bin/env bash
# Installs what is missing, builds everything (release preset) and runs every test with
# CTest on Qt's offscreen platform, so no screen is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
ctest --preset release "$@"
