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

need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
    done
}

# Sleeps until $1 seconds after the show started.
sleep_until() {
    local left
    left=$(awk "BEGIN { print $started + $1 - $(date +%s.%N) }")
    awk "BEGIN { exit !($left > 0) }" && sleep "$left"
}

# Takes a picture of the window as $tmp/NAME.png.
shot() {
    import -window "$window" "$tmp/$1.png" || fail "no screenshot"
    [ -n "${TOBUNA_E2E_SHOTS:-}" ] && cp "$tmp/$1.png" "$TOBUNA_E2E_SHOTS/"
    return 0
}

# The share of a picture's pixels that are white, or dark (below 40 %).
fraction() {
    case $2 in
    white) convert "$tmp/$1.png" -fill black +opaque white -fill white -opaque white -colorspace Gray -format '%[fx:mean]' info: ;;
    dark) convert "$tmp/$1.png" -colorspace Gray -threshold 40% -negate -format '%[fx:mean]' info: ;;
    esac
}

# Starts the show windowed at 640 x 480 and finds its window.
start_window() {
    "$prog" -w 640 480 >"$tmp/out" 2>"$tmp/err" &
    pid=$!
    started=$(date +%s.%N)
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
quit-request)
    # SDL turns a termination request into the same quit event as a window
    # close (xdotool cannot ask for a close without a window manager).
    need_display
    start_window
    kill -TERM "$pid"
    wait_exit 1000 || fail "still running 1 s after the quit request"
    [ "$status" = 0 ] || fail "status $status after the quit request"
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
song-missing)
    # The models are there but the song is not.
    need_display
    prog=$(realpath "$prog")
    mkdir -p "$tmp/run/data"
    cp data/*.dump "$tmp/run/data/"
    (cd "$tmp/run" && "$prog" -w 320 240 >"$tmp/out" 2>"$tmp/err")
    status=$?
    [ "$status" = 255 ] || fail "status $status, not 255"
    printf 'musa load error!\n' | cmp -s - "$tmp/out" || fail "standard output is not the song load message"
    ;;
show-run)
    # The whole show as a viewer sees and hears it: the title on white, the
    # main scene after the title's 255 steps (30.6 s), the song changing its
    # arrangement every 64 steps, and Escape ending it once the mice are gone.
    need_display
    need_tools import convert sox
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$tmp/audio.raw"
    start_window
    sleep_until 10
    shot title
    white=$(fraction title white)
    awk "BEGIN { exit !($white > 0.6) }" || fail "the title is not on white (white $white)"
    sleep_until 40
    shot main
    white=$(fraction main white)
    dark=$(fraction main dark)
    awk "BEGIN { exit !($white > 0.1 && $white < 0.7 && $dark > 0.1) }" \
        || fail "no floor and background at 40 s (white $white, dark $dark)"
    escape_at=$(date +%s.%N)
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key --clearmodifiers Escape
    wait_exit 8000 || fail "still running 8 s after Escape"
    took=$(awk "BEGIN { print $(date +%s.%N) - $escape_at }")
    [ "$status" = 0 ] || fail "status $status after Escape"
    awk "BEGIN { exit !($took > 1.0) }" || fail "ended $took s after Escape: the mice did not run down"
    # 64 steps are 7.68 s at tempo 125: every such period sounds, and not
    # all alike.
    levels=$(for i in 0 1 2 3 4; do
        sox -t raw -r 44100 -e signed -b 16 -B -c 2 "$tmp/audio.raw" -n trim "$(awk "BEGIN { print $i * 7.68 }")" 7.68 stat 2>&1 \
            | awk '/^RMS +amplitude/ { print $3 }'
    done)
    echo "levels of the first five periods: $(echo $levels)"
    echo "$levels" | awk 'NF { n++; if ($1 < 0.003) quiet++; if ($1 > hi) hi = $1; if (lo == "" || $1 < lo) lo = $1 }
                          END { exit !(n == 5 && !quiet && hi > 1.2 * lo) }' \
        || fail "the song is silent or does not change: $(echo $levels)"
    ;;
escape-twice)
    need_display
    start_window
    sleep_until 34  # the main scene, with the first mice on the floor
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key --clearmodifiers Escape key --clearmodifiers Escape
    wait_exit 500 || fail "still running 0.5 s after the second Escape"
    [ "$status" = 0 ] || fail "status $status"
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "ok: $case_name"
