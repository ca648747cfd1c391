# Shared by the scripted sessions (sourced): a private X server, the program
# started under it, and its window. Waits are generous because the same
# sessions run under Valgrind, many times slower than native; each wait ends as
# soon as what it waits for shows.
# shellcheck disable=SC2034  # the variables set here are for the scripts that source this

RELIABILITY_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
XSCREEN=(python3 "$RELIABILITY_DIR/xscreen.py")
SLOW_TIMEOUT=600     # start-up, a whole reveal, the end
REACTION_TIMEOUT=60  # from a click to the first sign of it on screen

# Where things are in the window, in pixels of its client area.
BUTTON_X=248 BUTTON_Y=204              # middle of the show button
BACKGROUND_X=3 BACKGROUND_Y=3           # bare form, no control
DISPLAY_BOX=(293 37 190 176)            # inside the display picture box's border
BOTTOM_STRIP=(0 370 499 8)              # bare form below the description box

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${APP_ERR:-}" ] && [ -s "$APP_ERR" ]; then
        echo "--- the program's standard error:" >&2
        cat "$APP_ERR" >&2
    fi
    exit 1
}

stop_all() {
    if [ -n "${APP_PID:-}" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill -KILL "$APP_PID" 2>/dev/null || true
    fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    [ -n "${WORK:-}" ] && rm -rf "$WORK"
}

# Starts Xvfb on the first free display, keeping its screen in $FB. The server
# must not reset when its last client leaves: every xdotool call is a client.
start_x() {
    WORK=$(mktemp -d)
    trap stop_all EXIT
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -fbdir "$WORK" -nolisten tcp -nocursor -br -noreset \
        3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        grep -qs '^[0-9]\+$' "$WORK/display" && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    grep -qs '^[0-9]\+$' "$WORK/display" || { cat "$WORK/xvfb.log" >&2; fail "Xvfb did not start"; }
    DISPLAY=":$(head -n1 "$WORK/display")"
    export DISPLAY
    FB="$WORK/Xvfb_screen0"
    unset WAYLAND_DISPLAY
    export XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0
    # The pointer starts away from every region the sessions watch.
    xdotool mousemove 0 0
}

# start_app BINARY [WRAPPER...]: runs the program (under the wrapper, if any)
# with its standard error in $APP_ERR.
start_app() {
    local binary=$1
    shift
    APP_ERR="$WORK/stderr"
    APP_CLASS=$(basename "$binary")
    "$@" "$binary" 2>"$APP_ERR" &
    APP_PID=$!
}

# Waits for the program's window and sets WINDOW, WIN_X, WIN_Y.
find_window() {
    local deadline=$((SECONDS + SLOW_TIMEOUT))
    WINDOW=""
    while [ -z "$WINDOW" ]; do
        kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before its window showed"
        [ $SECONDS -lt $deadline ] || fail "no window in $SLOW_TIMEOUT s"
        WINDOW=$(xdotool search --onlyvisible --classname "^$APP_CLASS\$" 2>/dev/null | head -n1) || true
        [ -n "$WINDOW" ] || sleep 0.2
    done
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    if [ "$WIDTH" != 499 ] || [ "$HEIGHT" != 378 ]; then
        fail "window is ${WIDTH}x${HEIGHT}, not 499x378"
    fi
    WIN_X=$X WIN_Y=$Y
}

# rect NAME: a rectangle of the window (x y w h) in screen coordinates.
rect() {
    local -n r=$1
    echo $((WIN_X + r[0])) $((WIN_Y + r[1])) "${r[2]}" "${r[3]}"
}

# click_and_see X Y RECT: a left click at a point of the window's client area,
# after which the window must draw into RECT within $REACTION_TIMEOUT.
click_and_see() {
    local -n area=$3
    "${XSCREEN[@]}" act --timeout $REACTION_TIMEOUT --while-pid "$APP_PID" "$WINDOW" "${area[@]}" \
        -- xdotool mousemove --window "$WINDOW" "$1" "$2" click 1
}

# Waits for the program to end and sets APP_STATUS.
wait_app_end() {
    local deadline=$((SECONDS + SLOW_TIMEOUT))
    while kill -0 "$APP_PID" 2>/dev/null && ! grep -qs '^State:.*Z' "/proc/$APP_PID/status"; do
        [ $SECONDS -lt $deadline ] || fail "the program did not end in $SLOW_TIMEOUT s"
        sleep 0.1
    done
    APP_STATUS=0
    wait "$APP_PID" || APP_STATUS=$?
}
