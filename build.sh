#!/usr/bin/env bash
# Sets up a fresh Debian (12 or later) or Ubuntu (22.04 or later) machine,
# builds Tessaline, and then
#   ./build.sh run            builds the program alone and starts it
#   ./build.sh test           builds everything with warnings as errors, runs
#                             every test headless, then builds the .deb,
#                             checks it, installs it and starts the installed
#                             program once, and runs the reliability checks
#   ./build.sh packages MODE  lists the Debian packages MODE (run or test) needs
# Missing packages are installed as root, or through sudo; without either, the
# script prints the apt-get line to run as root and stops.
set -euo pipefail
cd "$(dirname "$0")"

# Where ccache is installed, every build here (the program, the tests, the
# sanitizer and fuzzing builds) goes through it, with paths taken relative to
# this checkout so that another clone of the same sources hits the cache too.
# The working folder is left out of the key as well: the debug information
# would otherwise make every clone's objects its own.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi

# Every package the project needs, one to a line, by what needs it.

# Building the program.
BUILD_PACKAGES=(
    cmake
    g++
    make
    pkg-config
    qt6-base-dev
    qt6-base-dev-tools
    libgl-dev
    libxcb1-dev
    # fontconfig is started on a thread of its own while the window is made.
    libfontconfig-dev
    # Animations: GIF writing, its palette, and WebP.
    libgif-dev
    libimagequant-dev
    libwebp-dev
    # Videos: H.264 MP4 and VP9 WebM.
    libavcodec-dev
    libavformat-dev
    libswscale-dev
    libavutil-dev
    # Presenting PDF pages (Poppler's C++ library, in a module of its own).
    libpoppler-cpp-dev
)

# Running it.
RUN_PACKAGES=(
    # Liberation Serif stands in for the window's Times New Roman.
    fonts-liberation
    fontconfig
    # Users' photographs in more formats (WebP, TIFF and others).
    qt6-image-formats-plugins
    # Wayland, natively.
    qt6-wayland
    # Qt's own texts (the file dialog, message boxes' buttons) in Bulgarian.
    qt6-translations-l10n
)

# The tests, the benchmarks and the package checks (./build.sh test only).
TEST_PACKAGES=(
    # Reading back the videos the export writes, and the benchmark's baseline.
    ffmpeg
    # The window's tests with DejaVu Serif standing in for Liberation Serif.
    fonts-dejavu-core
    # The end-to-end tests: a virtual X server, driven and watched from outside.
    xvfb
    xdotool
    x11-utils
    python3
    libxdamage1
    # The screen reader's view: a private session bus with the accessibility
    # bus on it, read from Python.
    dbus
    at-spi2-core
    python3-pyatspi
    # What a screen reader says: Orca, speaking through speech-dispatcher and
    # espeak-ng (to ALSA's null device when there is no sound card).
    orca
    speech-dispatcher
    speech-dispatcher-espeak-ng
    espeak-ng
    # Wayland compositors: weston for the start-up checks, a headless sway with
    # grim (screenshots) and wtype (keys) for the Wayland lane.
    weston
    sway
    grim
    wtype
    # A password-protected PDF for the show's tests, and two monitors on one
    # virtual X screen.
    qpdf
    x11-xserver-utils
    # The benchmark's baseline for a PDF page: Poppler's own pdftoppm.
    poppler-utils
    # Building and checking the .deb.
    dpkg-dev
    file
    desktop-file-utils
    appstream
    lintian
    # The Debian 13 lane: a Debian 13 system made beside this one.
    debootstrap
    # The reliability checks, and the picture loader's fuzzer.
    valgrind
    clang
)

# libFuzzer's runtime, for the picture loader's fuzzer: a package of its own on
# Debian (which clang only recommends), part of clang's common files on Ubuntu
# 22.04.
fuzzer_runtime() {
    if grep -qx 'VERSION_ID="22.04"' /etc/os-release 2>/dev/null; then
        echo libclang-common-14-dev
    else
        echo libclang-rt-dev
    fi
}

packages_for() {
    case "$1" in
    run) printf '%s\n' "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" ;;
    test) printf '%s\n' "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "$(fuzzer_runtime)" ;;
    esac
}

# Installs what MODE needs and is missing. Without root and without sudo it
# changes nothing: it prints the line to run as root and ends with status 1.
set_up() {
    local mode=$1 missing=() p
    while read -r p; do
        [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == "install ok installed"* ]] ||
            missing+=("$p")
    done < <(packages_for "$mode")
    [ ${#missing[@]} -eq 0 ] && return

    local line="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            cat >&2 <<EOF
build.sh: these packages are missing: ${missing[*]}
Installing them needs root, and sudo is not installed. Run this as root:

    $line

then ./build.sh $mode again.
EOF
            exit 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    if ! { "${sudo[@]}" apt-get update -qq &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"; }; then
        printf 'build.sh: installing failed. As root, run:\n\n    %s\n\n' "$line" >&2
        exit 1
    fi
}

# Whether the window will have somewhere to open, asked before anything is
# installed or built. The program checks again, more thoroughly, when it starts.
check_display() {
    local platform=${QT_QPA_PLATFORM:-}
    case "$platform" in
    "" | xcb* | wayland*) ;;
    *) return 0 ;; # offscreen, vnc and the like bring their own screen
    esac
    if [ -n "${WAYLAND_DISPLAY:-}" ] && [ "$platform" != xcb ]; then
        return 0
    fi
    if [ -n "${DISPLAY:-}" ]; then
        # A local display ":N" has its socket in /tmp/.X11-unix; a remote one
        # (an ssh forwarding, host:N) is taken on trust.
        local number=${DISPLAY#*:}
        number=${number%%.*}
        if [[ $DISPLAY != :* ]] || [ -S "/tmp/.X11-unix/X$number" ]; then
            return 0
        fi
        echo "build.sh: cannot open display $DISPLAY: no X server listens on it." >&2
    elif [ -n "$platform" ]; then
        echo "build.sh: no display to open the window on with QT_QPA_PLATFORM=$platform." >&2
    else
        echo "build.sh: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
    fi
    echo "Start ./build.sh run from a desktop session; ./build.sh test needs no display." >&2
    exit 1
}

configure() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# The program and its unit tests once more, built with no X11 code at all
# (cmake/without-x11 stands in for the X11 headers) and run on Qt's offscreen
# platform.
test_without_x11() {
    cmake -S . -B build-nox11 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALINE_X11=OFF -DTESSALINE_WERROR=ON
    cmake --build build-nox11 -j"$(nproc)" --target unit_tests
    (cd build-nox11 && ctest -L unit --output-on-failure --timeout 600)
}

# On Debian 12, the build, the unit tests, the window's screenshot, the screen
# reader's view and the .deb once more in a Debian 13 system (tests/debian13/).
# Elsewhere this machine's own run covers what it can.
debian13_lane() {
    . /etc/os-release
    if [ "$ID" != debian ] || [ "${VERSION_ID:-}" != 12 ]; then
        echo "debian13: not run on $PRETTY_NAME (the lane runs from Debian 12)"
        return 0
    fi
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" bash ../tests/debian13/run.sh
}

case "${1:-run}" in
run)
    check_display
    set_up run
    # The program alone: no tests and no benchmarks. Warnings stay warnings,
    # unless this tree was configured by ./build.sh test.
    configure -DBUILD_TESTING=OFF
    cmake --build build -j"$(nproc)" --target tessaline
    exec ./build/app/tessaline
    ;;
test)
    set_up test
    # With the test-only program that has a fault put in, for the reliability
    # checks below, so that they need not build the program once more.
    configure -DBUILD_TESTING=ON -DTESSALINE_WERROR=ON -DTESSALINE_FAULT_INJECTION=ON
    cmake --build build -j"$(nproc)"
    cd build
    ctest --output-on-failure --timeout 600
    (cd .. && test_without_x11)
    # The .deb: built, checked with lintian, installed with apt and started once.
    bash ../packaging/check-package.sh .
    # Sanitizers, Valgrind and the run-time error path (build-asan/,
    # build-valgrind/, and the faulty program of this build).
    bash ../tests/reliability/run.sh
    # The picture loader under libFuzzer and AddressSanitizer for a minute.
    bash ../tests/fuzz/run.sh 60
    # Once more on Debian 13, the current stable, in a system of its own.
    debian13_lane
    ;;
packages)
    case "${2:-}" in
    run | test) packages_for "$2" ;;
    *)
        echo "usage: $0 packages run|test" >&2
        exit 2
        ;;
    esac
    ;;
*)
    echo "usage: $0 [run|test|packages run|test]" >&2
    exit 2
    ;;
esac
