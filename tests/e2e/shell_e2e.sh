#!/usr/bin/env bash
# The program as a user meets it: start, window, click, Escape, exit codes
# and messages. Usage: shell_e2e.sh CASE PATH-TO-TOBUNA
# Exits 77 (skipped) where the case needs an X display and there is none.
set -u
case_name=$1
prog=$2
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
tmp=$(mktemp -d)
pid=
pids=()  # every show started, ended at exit if still running
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*"; [ -s "$tmp/err" ] && sed 's/^/stderr: /' "$tmp/err"; exit 1; }

need_display() {
    if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
        echo "no X display or no xdotool: skipped"
        exit 77
    fi
}

# Waits up to $1 milliseconds for the show $pid to end; sets status.
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

# Sleeps until $1 seconds after the show started (or after $2, a start time).
sleep_until() {
    local left
    left=$(awk "BEGIN { print ${2:-$started} + $1 - $(date +%s.%N) }")
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

# Starts the show windowed at 640 x 480, its output in $tmp/out and
# $tmp/err, and finds its window; sets pid, started and window.
start_window() {
    "$prog" -w 640 480 >"$tmp/out" 2>"$tmp/err" &
    pid=$!
    pids+=("$pid")
    started=$(date +%s.%N)
    window=$(timeout 20 xdotool search --sync --onlyvisible --all --pid "$pid" --name '^Tobuna$' | head -n 1)
    [ -n "$window" ] || fail "no window named Tobuna"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || fail "window is ${WIDTH}x${HEIGHT}, not 640x480"
    sleep 0.5  # a few frames
    kill -0 "$pid" 2>/dev/null || fail "the show ended by itself"
}

# Presses Escape in the window; $1 presses make one sequence.
press_escape() {
    local keys=() i
    for ((i = 0; i < ${1:-1}; i++)); do keys+=(key --clearmodifiers Escape); done
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool "${keys[@]}"
}

# The endings that take effect at once, each asked for in its own way: sets
# what, the name of the request in messages.
ask_to_end() {
    case $1 in
    click)
        what="the click"
        xdotool mousemove --window "$window" 320 240 click 1
        ;;
    escape)
        # In the title no mouse is on the floor, so the ending is over at once.
        what="Escape"
        press_escape 1
        ;;
    quit-request)
        # SDL turns a termination request into the same quit event as a
        # window close (xdotool cannot ask for a close without a window
        # manager).
        what="the quit request"
        kill -TERM "$pid"
        ;;
    esac
}

# Start-up that cannot open the display or the window: status 255 and the
# one line of SDL's reason. $1: the video driver, $2: the message's start.
expect_start_failure() {
    SDL_VIDEODRIVER=$1 "$prog" -w 640 480 >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" = 255 ] || fail "status $status, not 255"
    grep -q "^$2" "$tmp/err" || fail "no message starting \"$2\""
    [ "$(wc -l <"$tmp/err")" = 1 ] || fail "more than one line on standard error"
}

case $case_name in
click | escape | quit-request)
    need_display
    start_window
    ask_to_end "$case_name"
    wait_exit 1000 || fail "still running 1 s after $what"
    [ "$status" = 0 ] || fail "status $status after $what"
    ;;
init-failure)
    expect_start_failure no-such-driver 'Unable to init SDL: .'
    ;;
video-failure)
    # The dummy video driver has no OpenGL, so the window cannot be made.
    expect_start_failure dummy 'Unable to set video mode: '
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
    # A second show, started beside it so that both wait out the title at
    # once, gets two Escapes in the main scene and ends at once.
    need_display
    need_tools import convert sox
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$tmp/audio.raw" start_window
    show_pid=$pid show_started=$started show_window=$window
    mv "$tmp/out" "$tmp/show-out"; mv "$tmp/err" "$tmp/show-err"
    start_window
    twice_pid=$pid twice_started=$started twice_window=$window
    # Side by side: a picture of a window shows whatever lies over it.
    xdotool windowmove "$show_window" 0 0
    xdotool windowmove "$twice_window" 640 0

    window=$show_window
    sleep_until 10 "$show_started"
    shot title
    white=$(fraction title white)
    awk "BEGIN { exit !($white > 0.6) }" || fail "the title is not on white (white $white)"

    # The second show, with the first mice on the floor.
    sleep_until 34 "$twice_started"
    pid=$twice_pid window=$twice_window
    press_escape 2
    wait_exit 500 || fail "still running 0.5 s after the second Escape"
    [ "$status" = 0 ] || fail "status $status after two Escapes"

    pid=$show_pid window=$show_window
    mv "$tmp/show-out" "$tmp/out"; mv "$tmp/show-err" "$tmp/err"
    sleep_until 40 "$show_started"
    shot main
    white=$(fraction main white)
    dark=$(fraction main dark)
    awk "BEGIN { exit !($white > 0.1 && $white < 0.7 && $dark > 0.1) }" \
        || fail "no floor and background at 40 s (white $white, dark $dark)"
    escape_at=$(date +%s.%N)
    press_escape 1
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
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "ok: $case_name"
