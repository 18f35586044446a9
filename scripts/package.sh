#!/usr/bin/env bash
# Builds the release preset and the Debian package (CPack), and prints the package's path
# on its last line. Install it with: sudo apt-get install ./build/release/package/ugoki_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target ugoki ugoki-sample-videos ugoki-compressed-docs >&2
(cd build/release && cpack -B package >&2)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
echo "$PWD/build/release/package/ugoki_${version}_$(dpkg --print-architecture).deb"
