#!/usr/bin/env bash
# Prints how much of the C++ is test code, counted in non-blank lines of .cpp and .h files:
# test code is everything under tests/ plus any test or fuzz driver elsewhere; the rest
# (src/, tools/, bench/) is the program and its tools. The aim is at most a third.
set -euo pipefail
cd "$(dirname "$0")/.."
test=0 other=0
while IFS= read -r file; do
    lines=$(grep -c -v -E '^\s*$' "$file" || true)
    if [[ $file == tests/* ]] || grep -q -E 'QTEST_|#include <QTest>|#include <QtTest|LLVMFuzzerTestOneInput' "$file"; then
        test=$((test + lines))
    else
        other=$((other + lines))
    fi
done < <(git ls-files -co --exclude-standard '*.cpp' '*.h')
total=$((test + other))
echo "test code: $test of $total non-blank C++ lines ($((100 * test / total)).$((1000 * test / total % 10))%)"
