#!/usr/bin/env bash
# Sets up a fresh Debian or Ubuntu machine, builds Tessaline, and then
#   ./build.sh run    starts the program
#   ./build.sh test   runs every test, headless, then builds the .deb,
#                     installs it and starts the installed program once, and
#                     runs the reliability checks (tests/reliability/run.sh)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-liberation fontconfig
    xvfb xdotool x11-utils python3
    libxcb1-dev dpkg-dev file desktop-file-utils appstream
    valgrind libxdamage1
    qt6-wayland sway grim wtype
)

set_up() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
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
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
