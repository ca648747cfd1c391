#!/usr/bin/env bash
# Sets up a fresh Debian or Ubuntu machine, builds Tessaline, and then
#   ./build.sh run    starts the program
#   ./build.sh test   runs every test, headless, then builds the .deb,
#                     installs it and starts the installed program once, and
#                     runs the reliability checks (tests/reliability/run.sh)
#                     and fuzzes the picture loader (tests/fuzz/run.sh)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-liberation fontconfig
    xvfb xdotool x11-utils python3
    libxcb1-dev dpkg-dev file desktop-file-utils appstream
    valgrind libxdamage1
    libgif-dev libimagequant-dev libwebp-dev qt6-image-formats-plugins
    clang
)

# libFuzzer's runtime, for the picture loader's fuzzer: a package of its own on
# Debian 12 (which clang only recommends), part of the common one on Ubuntu 22.04.
fuzzer_runtime() {
    compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
        compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/*/libclang_rt.fuzzer.a" >/dev/null && return
    apt-cache show libclang-rt-14-dev >/dev/null 2>&1 && echo libclang-rt-14-dev ||
        echo libclang-common-14-dev
}

set_up() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    local runtime
    runtime=$(fuzzer_runtime)
    [ ${#missing[@]} -eq 0 ] && [ -z "$runtime" ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    [ -z "$runtime" ] || missing+=("$(fuzzer_runtime)")
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j"$(nproc)"
}

case "${1:-run}" in
run)
    set_up
    build
    exec ./build/app/tessaline
    ;;
test)
    set_up
    build
    cd build
    ctest --output-on-failure --timeout 600
    # The .deb: built, validated, installed with apt and started once.
    bash ../packaging/check-package.sh .
    # Sanitizers, Valgrind and the run-time error path (build-asan/, build-fault/).
    bash ../tests/reliability/run.sh
    # The picture loader under libFuzzer and AddressSanitizer for a minute.
    bash ../tests/fuzz/run.sh 60
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
