#!/usr/bin/env bash
# ./build.sh on a machine that lacks every package, as a user without root and
# without sudo: it must name the apt-get line to run as root, end with status 1,
# and change nothing. Without a display, "run" must say so before anything else.
# Runs as root, on behalf of an unprivileged account it creates if missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
user=tessaline-test

fail() {
    printf 'build_without_root: %s\n' "$*" >&2
    exit 1
}
skip() {
    echo "skipped: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "acting as another user needs root"
! command -v sudo >/dev/null || skip "sudo is installed, and this is about a machine without it"

tmp=$(mktemp -d)
created_user=""
cleanup() {
    rm -rf "$tmp"
    [ -z "$created_user" ] || userdel "$user" 2>/dev/null || true
}
trap cleanup EXIT
if ! id "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    created_user=yes
fi

# A copy of the script alone, in a directory the user can read but not change,
# and an empty package database in place of the real one: every package is
# missing, as on a fresh machine.
cp "$source_dir/build.sh" "$tmp/"
mkdir -p "$tmp/dpkg/info" "$tmp/out"
touch "$tmp/dpkg/status"
chmod -R a+rX "$tmp"
chmod a+w "$tmp/out"
installed() { dpkg-query -W -f='${Package} ${Version} ${Status}\n' | sort; }
installed >"$tmp/before"

# as_user OUTPUT ENV… -- ARGS…: runs build.sh as the user; prints its status.
as_user() {
    local out=$1 status=0
    shift
    local envs=()
    while [ "$1" != -- ]; do
        envs+=("$1")
        shift
    done
    shift
    timeout 60 runuser -u "$user" -- env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        DPKG_ADMINDIR="$tmp/dpkg" "${envs[@]}" bash "$tmp/build.sh" "$@" \
        </dev/null >"$tmp/out/$out" 2>&1 || status=$?
    echo $status
}

# The packages on the apt-get line of an output, sorted, one to a line.
apt_line_packages() {
    sed -n 's/^ *apt-get update && apt-get install -y --no-install-recommends //p' "$tmp/out/$1" |
        tr ' ' '\n' | sed '/^$/d' | sort
}

for mode in run test; do
    # "run" checks for a display first; offscreen brings its own.
    status=$(as_user "$mode" QT_QPA_PLATFORM=offscreen -- "$mode")
    [ "$status" -eq 1 ] || fail "$mode: status $status, not 1: $(cat "$tmp/out/$mode")"
    bash "$source_dir/build.sh" packages "$mode" | sort >"$tmp/$mode.expected"
    apt_line_packages "$mode" >"$tmp/$mode.named"
    diff -u "$tmp/$mode.expected" "$tmp/$mode.named" >&2 ||
        fail "$mode: the apt-get line does not name exactly what $mode needs: $(cat "$tmp/out/$mode")"
done
# "run" asks only for what building and running need.
for package in cmake qt6-base-dev fonts-liberation; do
    grep -qx "$package" "$tmp/run.named" || fail "run does not ask for $package"
done
for package in xvfb valgrind lintian; do
    grep -qx "$package" "$tmp/test.named" || fail "test does not ask for $package"
    ! grep -qx "$package" "$tmp/run.named" || fail "run asks for $package, which only the tests need"
done

status=$(as_user nodisplay -- run)
[ "$status" -eq 1 ] || fail "without a display run ended with $status, not 1"
grep -q "no display" "$tmp/out/nodisplay" || fail "without a display: $(cat "$tmp/out/nodisplay")"
! grep -q apt-get "$tmp/out/nodisplay" || fail "without a display run still went on to the packages"

installed >"$tmp/after"
cmp -s "$tmp/before" "$tmp/after" || fail "the installed packages changed"
[ ! -e "$tmp/build" ] || fail "something was built"
echo "build.sh without root: the apt-get line, status 1, nothing installed"
