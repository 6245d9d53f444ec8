#!/usr/bin/env bash
# The hack in a window made as a screensaver daemon makes one: the title
# fills it, keys and clicks leave it running, a resize is followed, SIGTERM
# ends it at once with 0 and nothing on standard error; silent unless
# --sound. Usage: saver_window_test.sh PATH-TO-TOBUNA PATH-TO-FOREIGN-WINDOW
# Exits 77 (skipped) without an X display.
set -u
prog=$1
make_window=$2
. "$(dirname "$0")/common.sh"
need_display
need_tools sox

# Starts a daemon-like window of $1 x $2; sets window and the fd 3 for
# resize commands.
open_window() {
    mkfifo "$tmp/commands"
    "$make_window" "$1" "$2" <"$tmp/commands" >"$tmp/window" &
    pids+=($!)
    exec 3>"$tmp/commands"
    for _ in $(seq 50); do [ -s "$tmp/window" ] && break; sleep 0.1; done
    window=$(head -n 1 "$tmp/window")
    [ -n "$window" ] || fail "no foreign window"
}

# Starts the hack with the options given, its sound through the disk driver.
start_hack() {
    rm -f "$tmp/audio.raw"
    XSCREENSAVER_WINDOW=$window SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$tmp/audio.raw" \
        "$prog" "$@" >"$tmp/out" 2>"$tmp/err" &
    hack=$!
    pids+=("$hack")
}

stop_hack() {
    kill -TERM "$hack"
    wait_exit "$hack" 10 || fail "still running 1 s after SIGTERM"
    [ "$status" = 0 ] || fail "status $status after SIGTERM"
    # SDL's disk driver announces itself; anything else is the hack's.
    grep -v -e 'disk i/o audio driver' -e 'Writing to file' "$tmp/err" >"$tmp/err.own"
    [ -s "$tmp/err.own" ] && fail "output on standard error"
    [ -s "$tmp/out" ] && fail "output on standard output: $(head -c 200 "$tmp/out")"
    return 0
}

rms() {
    sox -t raw -r 44100 -e signed -b 16 -B -c 2 "$tmp/audio.raw" -n stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }'
}

open_window 500 300
start_hack -root
sleep 3
kill -0 "$hack" 2>/dev/null || fail "the hack ended by itself"
import -window "$window" "$tmp/first.png" || fail "no screenshot"
[ "$(identify -format '%wx%h' "$tmp/first.png")" = 500x300 ] || fail "the window is not 500x300"
white=$(white_fraction "$tmp/first.png")
awk "BEGIN { exit !($white > 0.6) }" || fail "the title does not fill the window (white $white)"

# Input is the daemon's business, not the hack's.
xdotool mousemove --window "$window" 100 100 click 1 key Escape key space
sleep 1
kill -0 "$hack" 2>/dev/null || fail "a click or a key ended the hack"

echo "resize 700 400" >&3
sleep 1.5
import -window "$window" "$tmp/resized.png" || fail "no screenshot"
convert "$tmp/resized.png" -crop 200x400+500+0 +repage "$tmp/grown.png"
white=$(white_fraction "$tmp/grown.png")
awk "BEGIN { exit !($white > 0.6) }" || fail "the grown part of the window is not drawn (white $white)"
[ -n "${TOBUNA_E2E_SHOTS:-}" ] && cp "$tmp/first.png" "$tmp/resized.png" "$TOBUNA_E2E_SHOTS/"
stop_hack
[ -s "$tmp/audio.raw" ] && fail "silent by default, yet it wrote sound"

# --sound: the song on the audio device.
start_hack -root --sound
sleep 3
stop_hack
[ -s "$tmp/audio.raw" ] || fail "--sound wrote no sound"
level=$(rms)
awk "BEGIN { exit !($level > 0.003) }" || fail "--sound played silence (RMS $level)"

# An option it does not know, or a window that is not there: a message and 255.
XSCREENSAVER_WINDOW=$window "$prog" -bogus >"$tmp/out" 2>"$tmp/err"
status=$?
[ "$status" = 255 ] || fail "unknown option: status $status"
grep -q '^tobuna: unknown screensaver option -bogus' "$tmp/err" || fail "unknown option: no message"
for bad in nonsense 0x7ffffff0; do
    XSCREENSAVER_WINDOW=$bad "$prog" -root >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" = 255 ] || fail "XSCREENSAVER_WINDOW=$bad: status $status"
    grep -q '^tobuna: .*XSCREENSAVER_WINDOW' "$tmp/err" || fail "XSCREENSAVER_WINDOW=$bad: no message"
done
echo "ok: saver window"
