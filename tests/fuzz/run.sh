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

# The loader sends stderr to /dev/null while it decodes, so a report written
# there then would be lost: AddressSanitizer writes its reports to files.
rm -f build-fuzz/asan.*
export ASAN_OPTIONS=detect_leaks=1:log_path=$PWD/build-fuzz/asan
export LSAN_OPTIONS=suppressions=$here/../sanitizers/lsan.supp:print_suppressions=0
fuzzer=build-fuzz/fuzz_loadpicture
common=(-timeout=1 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/artifacts/)

# What a failed run found: the end of the fuzzer's log, how it ended, the
# sanitizer's report and the input, kept in build-fuzz/artifacts/.
found() {
    local log=$1 status=$2
    tail -40 "$log"
    if [ "$status" -gt 128 ]; then
        echo "the fuzzer ended on signal $(kill -l "$((status - 128))")"
    else
        echo "the fuzzer ended with status $status"
    fi
    cat build-fuzz/asan.* 2>/dev/null | head -60
    ls -l build-fuzz/artifacts/
    exit 1
}

# Every kept input once, then the search itself.
status=0
if compgen -G "$here/regressions/*" >/dev/null; then
    "$fuzzer" "${common[@]}" "$here"/regressions/* 2>build-fuzz/regressions.log || status=$?
    [ "$status" -eq 0 ] || found build-fuzz/regressions.log "$status"
fi
"$fuzzer" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    build-fuzz/corpus "$here/regressions" 2>build-fuzz/fuzz.log || status=$?
[ "$status" -eq 0 ] || found build-fuzz/fuzz.log "$status"
grep -E '^#[0-9]+[[:space:]]+DONE' build-fuzz/fuzz.log | tail -1
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' build-fuzz/fuzz.log
