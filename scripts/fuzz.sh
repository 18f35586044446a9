#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz), writes their seed corpora with the
# seed test, and runs one target for the given number of seconds:
#   scripts/fuzz.sh commands 600    # command strings against an open and a closed device
#   scripts/fuzz.sh file 600        # arbitrary bytes opened as a video file
#   scripts/fuzz.sh file 0          # only build and write the seed corpora
# Further arguments go to libFuzzer. New inputs collect in build/fuzz/corpus/<target>,
# crashes and hangs in build/fuzz/corpus/<target>-findings.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?"which target: commands or file"}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
case "$target" in
    commands | file) ;;
    *) echo "unknown target $target (commands or file)" >&2; exit 2 ;;
esac

UGOKI_EXTRA_PACKAGES="clang-14 libclang-rt-14-dev" scripts/install-deps.sh
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DUGOKI_FUZZ=ON >/dev/null
cmake --build build/fuzz --target "fuzz_media_$target" fuzz_test

export QT_QPA_PLATFORM=offscreen
# Memory that libraries outside the project keep for the life of the process (fontconfig's
# caches, set up by Qt's fonts) is not a finding: the suppressions of the sanitizer suite.
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
corpus=build/fuzz/corpus
UGOKI_FUZZ_CORPUS=$corpus build/fuzz/tests/fuzz/fuzz_test -silent seedsReachTheDevice
[ "$seconds" = 0 ] && exit 0
mkdir -p "$corpus/$target" "$corpus/$target-findings"
dictionary=()
# Up to 16 commands of a few dozen bytes each.
if [ "$target" = commands ]; then dictionary=(-dict=tests/fuzz/commands.dict -max_len=1024); fi
# A hang is anything over 10 s (an open must answer within 2 s); 2 GB is ample for the
# service's bounded caches.
exec build/fuzz/tests/fuzz/"fuzz_media_$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$corpus/$target-findings/" -print_final_stats=1 \
    "${dictionary[@]}" "$@" "$corpus/$target" "$corpus/$target-seed"
