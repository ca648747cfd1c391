#!/usr/bin/env bash
# Fuzzes the picture loader for a while (60 s unless told) under
# AddressSanitizer, starting from small files of every format made afresh and
# from the inputs kept in tests/fuzz/regressions/. Any crash, leak, or input
# that takes over a second fails the run; what it found is in
# build-fuzz/artifacts/, to be kept as a regression input.
#
#   tests/fuzz/run.sh [seconds]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/../.."
seconds=${1:-60}

CXX=clang++ cmake -S tests/fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2 >/dev/null

rm -rf build-fuzz/corpus build-fuzz/artifacts
mkdir -p build-fuzz/corpus build-fuzz/artifacts
QT_QPA_PLATFORM=offscreen build-fuzz/make_seeds build-fuzz/corpus

export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$here/../sanitizers/lsan.supp:print_suppressions=0
fuzzer=build-fuzz/fuzz_loadpicture
common=(-timeout=1 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/artifacts/)

# Every kept input once, then the search itself.
if compgen -G "$here/regressions/*" >/dev/null; then
    "$fuzzer" "${common[@]}" "$here"/regressions/* 2>build-fuzz/regressions.log ||
        { tail -40 build-fuzz/regressions.log; exit 1; }
fi
"$fuzzer" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    build-fuzz/corpus "$here/regressions" 2>build-fuzz/fuzz.log ||
    { tail -60 build-fuzz/fuzz.log; exit 1; }
grep -E '^#[0-9]+[[:space:]]+DONE' build-fuzz/fuzz.log | tail -1
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' build-fuzz/fuzz.log
