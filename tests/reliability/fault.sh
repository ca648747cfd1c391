#!/usr/bin/env bash
# The run-time error path from end to end, on tessaline_faulty: pressing the
# show button raises "Subscript out of range"; the program shows the error in
# a message box titled with its name, waits there until it is dismissed, and
# then ends with a non-zero status.
#
#   fault.sh BUILD/tests/reliability/tessaline_faulty
# shellcheck disable=SC2046  # $(rect ...) is four numbers, split on purpose
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 TESSALINE_FAULTY" >&2; exit 2; }
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

start_x
start_app "$binary"
find_window
"${XSCREEN[@]}" settle "$FB" $(rect DISPLAY_BOX) --timeout $SLOW_TIMEOUT \
    --while-pid "$APP_PID" >/dev/null || fail "the display never showed a settled picture"

xdotool mousemove --window "$WINDOW" $BUTTON_X $BUTTON_Y click 1

# The message box: a window of its own titled "Tessaline". (Qt's hidden client
# leader window carries the same name, hence only visible ones.)
box=""
deadline=$((SECONDS + REACTION_TIMEOUT))
while [ -z "$box" ]; do
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended without showing the error"
    [ $SECONDS -lt $deadline ] || fail "no message box in $REACTION_TIMEOUT s"
    box=$(xdotool search --onlyvisible --name '^Tessaline$' 2>/dev/null | head -n1) || true
    [ -n "$box" ] || sleep 0.1
done
echo "message box $box"
grep -q "Run-time error '9': Subscript out of range" "$APP_ERR" ||
    fail "the error was not reported as run-time error 9"

# The program waits for the box, still there a moment later, and nothing runs
# under it: a timer tick would fail again and stack a second box.
sleep 1
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before the box was dismissed"
boxes=$(xdotool search --onlyvisible --name '^Tessaline$' 2>/dev/null | wc -l)
[ "$boxes" -eq 1 ] || fail "$boxes message boxes on screen"
[ "$(grep -c "Run-time error" "$APP_ERR")" -eq 1 ] || fail "more than one error reported"

xdotool windowfocus --sync "$box" key Return
wait_app_end
[ "$APP_STATUS" -ne 0 ] || fail "the program ended with status 0 after a run-time error"
echo "PASS: the run-time error was shown and ended the program with status $APP_STATUS"
