#!/usr/bin/env bash
# The reliability checks, run by CI after the main build and its tests:
#   asan      the unit tests and a scripted session, built with AddressSanitizer
#             and UndefinedBehaviorSanitizer (build-asan/)
#   valgrind  the picture loader's tests and a scripted session under memcheck,
#             of the normal build less its videos (build-valgrind/)
#   fault     the run-time error path, on a test-only program with a fault put
#             in (from build/ where it was configured so, else build-fault/)
#
#   tests/reliability/run.sh [asan] [valgrind] [fault]     (all three by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/../.."

# Builds share the machine with everything else: two jobs at most.
JOBS=2

asan() (
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALINE_SANITIZE=ON \
        -DTESSALINE_WERROR=ON >/dev/null
    # The program and the unit tests only; the benchmarks mean nothing here.
    local targets
    mapfile -t targets < <(cmake --build build-asan --target help |
        grep -oE '\btst_[a-z0-9_]+' | grep -v '_autogen$' | sort -u)
    targets+=(tessaline)
    cmake --build build-asan -j$JOBS --target "${targets[@]}"

    export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1
    export LSAN_OPTIONS=suppressions=$here/../sanitizers/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    (cd build-asan && ctest -L unit --output-on-failure --timeout 600)
    "$here/session.py" build-asan/app/tessaline
)

valgrind_session() {
    # The normal build less its videos: FFmpeg's libraries load one (Highway,
    # through libjxl) whose start-up runs an instruction Valgrind can't run.
    # The video writer is checked under the sanitizers above instead.
    cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALINE_VIDEO=OFF \
        -DBUILD_TESTING=ON -DTESSALINE_WERROR=ON >/dev/null
    cmake --build build-valgrind -j$JOBS --target tessaline tst_loadpicture
    local memcheck=(valgrind --tool=memcheck -q --error-exitcode=99 --child-silent-after-fork=yes
        --suppressions="$here/valgrind.supp" --gen-suppressions=all --num-callers=40)
    # The picture loader on odd and damaged files. Qt's decoders and scalers
    # are not built with the sanitizers: only here is it seen when they read
    # memory that a picture never set, or past its end.
    (cd build-valgrind/tests &&
        QT_QPA_PLATFORM=offscreen QT_ENABLE_HIGHDPI_SCALING=0 "${memcheck[@]}" ./tst_loadpicture -silent)
    # Without a session bus libdbus forks to start one, and the exec fails; the
    # forked copy of the program then ends with every other thread's memory
    # unreachable. That copy is libdbus's, not the program: it is not checked.
    "$here/session.py" build-valgrind/app/tessaline "${memcheck[@]}" \
        --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite
}

fault() {
    # The main build has the faulty program where ./build.sh test made it.
    local dir=build
    if ! grep -qs '^TESSALINE_FAULT_INJECTION:BOOL=ON' build/CMakeCache.txt; then
        dir=build-fault
        cmake -S . -B $dir -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALINE_FAULT_INJECTION=ON \
            -DBUILD_TESTING=OFF -DTESSALINE_WERROR=ON >/dev/null
    fi
    cmake --build $dir -j$JOBS --target tessaline_faulty
    "$here/fault.py" $dir/tests/reliability/tessaline_faulty
}

parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(asan valgrind fault)
times=()
for part in "${parts[@]}"; do
    start=$SECONDS
    case "$part" in
    asan) asan ;;
    valgrind) valgrind_session ;;
    fault) fault ;;
    *)
        echo "usage: $0 [asan] [valgrind] [fault]" >&2
        exit 2
        ;;
    esac
    times+=("$part $((SECONDS - start)) s")
done
echo "Reliability checks passed:"
printf '  %s\n' "${times[@]}"
