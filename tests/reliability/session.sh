#!/usr/bin/env bash
# A short session as a person has it: start, one full reveal, one dot burst,
# close. Passes when every step shows on screen and the program ends by itself
# with status 0 and nothing on its standard error from a sanitizer or checker.
#
#   session.sh BINARY [WRAPPER...]
#   session.sh build-asan/app/tessaline
#   session.sh build/app/tessaline valgrind --error-exitcode=99 ...
# shellcheck disable=SC2046  # $(rect ...) is four numbers, split on purpose
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BINARY [WRAPPER...]" >&2; exit 2; }
binary=$(realpath "$1")
shift
source "$(dirname "$0")/lib.sh"
# A sanitizer build reports leaks at exit; the libraries' own are suppressed.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$RELIABILITY_DIR/../sanitizers/lsan.supp:print_suppressions=0}

start_x
start_app "$binary" "$@"
find_window
echo "window $WINDOW at $WIN_X,$WIN_Y"

cover=$("${XSCREEN[@]}" settle "$FB" $(rect DISPLAY_BOX) --timeout $SLOW_TIMEOUT \
    --while-pid "$APP_PID") || fail "the display never showed a settled picture"

click_and_see $BUTTON_X $BUTTON_Y DISPLAY_BOX || fail "the reveal did not start"
started=$SECONDS
"${XSCREEN[@]}" wait "$FB" $(rect DISPLAY_BOX) --becomes "$cover" \
    --timeout $SLOW_TIMEOUT --while-pid "$APP_PID" || fail "the reveal did not end on the cover"
echo "reveal done in about $((SECONDS - started)) s"

background=$("${XSCREEN[@]}" hash "$FB" $(rect BOTTOM_STRIP))
click_and_see $BACKGROUND_X $BACKGROUND_Y BOTTOM_STRIP || fail "no dots appeared"
"${XSCREEN[@]}" wait "$FB" $(rect BOTTOM_STRIP) --becomes "$background" \
    --timeout $SLOW_TIMEOUT --while-pid "$APP_PID" || fail "the dots did not clear"
echo "burst done"

"${XSCREEN[@]}" close "$WINDOW"
wait_app_end
if grep -E -q 'ERROR: [A-Za-z]+Sanitizer|runtime error:|ERROR SUMMARY: [1-9]' "$APP_ERR"; then
    fail "a report on standard error"
fi
[ "$APP_STATUS" -eq 0 ] || fail "the program ended with status $APP_STATUS"
echo "PASS: session of $(basename "$binary")${1:+ under $1}"
