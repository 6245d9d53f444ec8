#!/usr/bin/env bash
# The program as a user meets it: start, window, click, Escape, exit codes
# and messages. Usage: shell_e2e.sh CASE PATH-TO-TOBUNA
# Exits 77 (skipped) where the case needs an X display and there is none.
set -u
case_name=$1
prog=$2
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
tmp=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
pid=

fail() { echo "FAIL: $*"; [ -s "$tmp/err" ] && sed 's/^/stderr: /' "$tmp/err"; exit 1; }

need_display() {
    if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
        echo "no X display or no xdotool: skipped"
        exit 77
    fi
}

# Waits up to $1 seconds for the show to end; sets status.
wait_exit() {
    local limit=$1 waited=0
    while kill -0 "$pid" 2>/dev/null; do
        [ "$waited" -ge "$limit" ] && return 1
        sleep 0.05
        waited=$((waited + 50))
    done
    wait "$pid"
    status=$?
    pid=
    return 0
}

# Starts the show windowed at 640 x 480 and finds its window.
start_window() {
    "$prog" -w 640 480 >"$tmp/out" 2>"$tmp/err" &
    pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tobuna$' | head -n 1)
    [ -n "$window" ] || fail "no window named Tobuna"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || fail "window is ${WIDTH}x${HEIGHT}, not 640x480"
    sleep 0.5  # a few frames
    kill -0 "$pid" 2>/dev/null || fail "the show ended by itself"
}

case $case_name in
click)
    need_display
    start_window
    xdotool mousemove --window "$window" 320 240 click 1
    wait_exit 1000 || fail "still running 1 s after the click"
    [ "$status" = 0 ] || fail "status $status after the click"
    ;;
escape)
    need_display
    start_window
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key --clearmodifiers Escape
    wait_exit 1000 || fail "still running 1 s after Escape"
    [ "$status" = 0 ] || fail "status $status after Escape"
    ;;
init-failure)
    SDL_VIDEODRIVER=no-such-driver "$prog" -w 640 480 >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" = 255 ] || fail "status $status, not 255"
    grep -q '^Unable to init SDL: .' "$tmp/err" || fail "no init message"
    [ "$(wc -l <"$tmp/err")" = 1 ] || fail "more than one line on standard error"
    ;;
video-failure)
    # The dummy video driver has no OpenGL, so the window cannot be made.
    SDL_VIDEODRIVER=dummy "$prog" -w 640 480 >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" = 255 ] || fail "status $status, not 255"
    grep -q '^Unable to set video mode: ' "$tmp/err" || fail "no video mode message"
    [ "$(wc -l <"$tmp/err")" = 1 ] || fail "more than one line on standard error"
    ;;
mouse-missing)
    # From a directory without data/: the mouse model cannot be loaded.
    need_display
    prog=$(realpath "$prog")
    (cd "$tmp" && "$prog" -w 320 240 >"$tmp/out" 2>"$tmp/err")
    status=$?
    [ "$status" = 255 ] || fail "status $status, not 255"
    printf 'Mouse load error!!!\n' | cmp -s - "$tmp/err" || fail "standard error is not the mouse load message"
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "ok: $case_name"
