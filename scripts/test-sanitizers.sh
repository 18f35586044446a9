#!/usr/bin/env bash
# Builds everything with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer
# (the asan preset, build/asan) and runs every test under them. Any report fails the run:
# UBSan does not recover, and ASan/LSan end the test with an error.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan "$@"
