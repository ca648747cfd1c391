#!/usr/bin/env bash
# Builds the .deb from a built tree, checks it with lintian, installs it with
# apt, checks what it put in place, and starts the installed program once on a
# virtual X display.
#   packaging/check-package.sh BUILD_DIR
# Needs cpack, dpkg-dev, file, lintian, binutils, desktop-file-utils, appstream,
# xvfb, xdotool and x11-utils; installs system-wide, so it runs as root or
# through sudo.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
app_id=org.example.Tessaline
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

step() { printf '== %s\n' "$*"; }
fail() { printf 'check-package: %s\n' "$*" >&2; exit 1; }

step "building the package"
rm -f "$build"/tessaline_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(echo "$build"/tessaline_*.deb)
[ -f "$deb" ] || fail "cpack made no .deb"
version=$(dpkg-deb -f "$deb" Version)
# The project's version, without the packaging's revision.
upstream_version=${version%-*}
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no computed dependencies"
dpkg-deb -f "$deb" Depends | grep -qw qt6-wayland || fail "no dependency on the Wayland platform plugin"
dpkg-deb -f "$deb" Depends | grep -q fonts-liberation || fail "fonts-liberation is not a dependency"
dpkg-deb -f "$deb" Depends | grep -qw qt6-translations-l10n || fail "no dependency on Qt's Bulgarian texts"

step "lintian"
# Every error and every warning fails; the informational tags are shown too.
status=0
report=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || status=$?
[ -z "$report" ] || printf '%s\n' "$report"
[ $status -eq 0 ] || fail "lintian found errors or warnings"

step "installing $(basename "$deb")"
# --reinstall: a rebuilt package of the same version must still replace the old.
# Another apt at work (an unattended upgrade) is waited for, not taken for a failure.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 \
    --reinstall "$deb" >/dev/null

step "validating the desktop entry and the metainfo"
desktop=/usr/share/applications/$app_id.desktop
desktop-file-validate "$desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"
for icon in 32x32 128x128; do
    [ -f "/usr/share/icons/hicolor/$icon/apps/$app_id.png" ] || fail "no $icon icon"
done
[ -f /usr/share/man/man1/tessaline.1.gz ] || fail "no compressed man page"
grep -q "<release version=\"$upstream_version\"" "/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo's newest release is not $upstream_version"

step "checking the copyright and the changelog"
doc=/usr/share/doc/tessaline
zcat "$doc/changelog.Debian.gz" | head -n 1 | grep -q "^tessaline ($version) " ||
    fail "the changelog's newest entry is not $version"
# Each photograph credited in resources/CREDITS.md has its paragraph in the
# copyright file, with the author and the licence recorded there.
photos=0
while IFS=$'\t' read -r photo author licence; do
    paragraph=$(awk -v RS= -v photo="resources/$photo" '$0 ~ "(^|\n)Files: " photo "(\n|$)"' \
        "$doc/copyright")
    [ -n "$paragraph" ] || fail "the copyright file does not name $photo"
    grep -qF "$author" <<<"$paragraph" || fail "the copyright file does not credit $photo to $author"
    grep -qx "License: $licence" <<<"$paragraph" || fail "the copyright file does not give $photo $licence"
    photos=$((photos + 1))
done < <(awk '
    /^## / { photo = $2 ~ /\.(jpg|png)$/ ? $2 : "" }
    photo && /^- Author: / { sub(/^- Author: /, ""); sub(/, copyright.*/, ""); author = $0 }
    photo && /^- Licence: / { print photo "\t" author "\t" $3; photo = "" }
' "$here/../resources/CREDITS.md")
[ "$photos" -ge 2 ] || fail "CREDITS.md records $photos photographs, not both"

step "checking the hardening of the installed program"
binary=/usr/bin/tessaline
readelf -h "$binary" | grep -q 'Type: *DYN' || fail "not a position-independent executable"
dynamic=$(readelf -d "$binary")
grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || fail "no PIE flag"
grep -qE 'BIND_NOW|FLAGS_1.* NOW' <<<"$dynamic" || fail "not bound at start-up (BIND_NOW)"
readelf -lW "$binary" | grep -q GNU_RELRO || fail "no read-only relocations (RELRO)"
symbols=$(readelf --dyn-syms -W "$binary")
grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector"
grep -qE '__[a-z]+_chk@' <<<"$symbols" || fail "no checked (fortified) library functions"

step "running the installed program"
[ "$(/usr/bin/tessaline --version)" = "Tessaline $upstream_version" ] || fail "wrong --version"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/tessaline 2>/dev/null || status=$?
[ $status -eq 1 ] || fail "without a display the program exited with $status, not 1"

tmp=$(mktemp -d)
xvfb="" program=""
cleanup() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

# Xvfb picks a free display itself and tells its number on fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
done
[ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
export DISPLAY=":$(cat "$tmp/display")"

step "writing an animation and a video through the installed modules"
modules=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/tessaline
for module in animation video; do
    [ -f "$modules/libtessaline-$module.so" ] || fail "no $module module in $modules"
done
! ldd "$binary" | grep -qE 'libav|libswscale|libgif|libwebp|libimagequant' ||
    fail "the program itself links what only its modules need"
(cd "$tmp" && QT_QPA_PLATFORM=offscreen /usr/bin/tessaline --export t.gif &&
    QT_QPA_PLATFORM=offscreen /usr/bin/tessaline --export t.mp4 --size 64x36 --fps 10) ||
    fail "the installed program could not write an animation and a video"

env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR /usr/bin/tessaline 2>"$tmp/program.log" &
program=$!
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
window=$(timeout 20 xdotool search --sync --onlyvisible --class "$wm_class" | head -n 1) ||
    fail "no window appeared: $(cat "$tmp/program.log")"
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window $window: ${WIDTH}x${HEIGHT}, $(xprop -id "$window" WM_CLASS _NET_WM_NAME | tr '\n' ' ')"
[ "${WIDTH}x${HEIGHT}" = 499x378 ] || fail "the window is ${WIDTH}x${HEIGHT}, not 499x378"
kill -0 "$program" || fail "the program ended on its own"
kill "$program"
wait "$program" 2>/dev/null || true
program=""
step "package ok"
