#!/usr/bin/env bash
# The Debian 13 lane: builds and tests this tree once more in a Debian 13
# (trixie) system beside the machine's own, made with debootstrap from
# Debian's archive and entered with chroot: the program and the tests with
# warnings as errors, the unit tests, the window against its screenshot, the
# screen reader's view, and the .deb (built, lintian-checked, installed and
# started). Needs root.
#
#   tests/debian13/run.sh              the lane
#   tests/debian13/run.sh COMMAND...   COMMAND in the system instead, in the
#                                      tree's copy (/work/tessaline), e.g. bash
#
# The system is kept in $TESSALINE_DEBIAN13 (/var/cache/tessaline/debian13 by
# default) with its packages, its build folder and its compiler cache, so that
# a later run installs only what is new and compiles only what changed. It is
# made anew when it is missing or was left half-made.
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
system=${TESSALINE_DEBIAN13:-/var/cache/tessaline/debian13}
mirror=${TESSALINE_DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
    echo "debian13: needs root (debootstrap and chroot); run as root or through sudo" >&2
    exit 1
fi

if [ ! -e "$system/.tessaline-complete" ]; then
    echo "debian13: making a Debian 13 system in $system"
    rm -rf "$system.new"
    mkdir -p "$(dirname "$system")"
    debootstrap --variant=minbase trixie "$system.new" "$mirror" >"$system.new.log" 2>&1 ||
        { tail -20 "$system.new.log" >&2; exit 1; }
    touch "$system.new/.tessaline-complete"
    rm -rf "$system"
    mv "$system.new" "$system"
    rm -f "$system.new.log"
fi

# The tree as it stands, without its build folders; the lane's own build
# folder is kept.
mkdir -p "$system/work/tessaline"
find "$system/work/tessaline" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
tar -C "$source" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . |
    tar -C "$system/work/tessaline" --overwrite -xf -
cp /etc/resolv.conf "$system/etc/resolv.conf"

[ $# -gt 0 ] || set -- bash /work/tessaline/tests/debian13/inside.sh

# In mount and process namespaces of its own: every mount goes away with the
# lane, and so does every process it leaves running.
exec unshare --mount --pid --fork --propagation private bash -euo pipefail -c '
    system=$1
    mount -t proc proc "$system/proc"
    mount --rbind /sys "$system/sys"
    mount --rbind /dev "$system/dev"
    mount -t tmpfs tmpfs "$system/tmp"
    chroot "$system" /usr/bin/env -i HOME=/root TERM=dumb CI="${CI:-}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /work/tessaline && exec \"\$@\"" command "${@:2}"
' lane "$system" "$@"
