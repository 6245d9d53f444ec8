#!/usr/bin/env bash
# Tobuna chosen as the only hack of the real xscreensaver daemon, on an X
# server of its own: -activate shows the title filling the screen, and
# -deactivate ends the hack with no error output; silent unless --sound.
# xscreensaver launches no hack for root, so as root the daemon runs as
# nobody. Usage: saver_daemon_test.sh BUILD-DIR
# Exits 77 (skipped) without xscreensaver, its GL visual helper or Xvfb.
set -u
build=$1
. "$(dirname "$0")/common.sh"
need_tools xscreensaver xscreensaver-command Xvfb import convert sox
[ -x /usr/libexec/xscreensaver/xscreensaver-gl-visual ] || { echo "no xscreensaver-gl: skipped"; exit 77; }
as_user=()
if [ "$(id -u)" = 0 ]; then
    need_tools setpriv
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod 755 "$tmp"

cmake --install "$build" --prefix "$tmp/prefix" >"$tmp/install.log" 2>&1 || fail "install"
Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp 5>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$tmp/display")

# One daemon run with the programs line $1: sets shot and the logs.
run_daemon() {
    local home=$tmp/home-$2
    mkdir -p "$home"
    cat >"$home/.xscreensaver" <<SETTINGS
mode:		one
selected:	0
lock:		False
splash:		False
fade:		False
unfade:		False
timeout:	0:30:00
programs:	$1 \\n
SETTINGS
    chmod -R a+rwX "$home"
    HOME=$home PATH=$tmp/prefix/bin:$PATH SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$home/audio.raw \
        "${as_user[@]}" xscreensaver -no-splash -verbose >"$home/daemon.out" 2>"$home/daemon.err" &
    local daemon=$!
    pids+=("$daemon")
    sleep 2
    HOME=$home xscreensaver-command -activate >/dev/null 2>&1 || fail "xscreensaver-command -activate"
    sleep 6
    # The hack's process, as the daemon logs it (other shows may run here).
    local hack
    hack=$(sed -n 's/.*forked "tobuna[^"]*" in pid \([0-9]*\).*/\1/p' "$home/daemon.err" | tail -n 1)
    [ -n "$hack" ] && kill -0 "$hack" 2>/dev/null \
        || { sed 's/^/daemon: /' "$home/daemon.err"; fail "the daemon runs no tobuna"; }
    import -window root "$tmp/$2.png" || fail "no screenshot"
    [ -n "${TOBUNA_E2E_SHOTS:-}" ] && cp "$tmp/$2.png" "$TOBUNA_E2E_SHOTS/daemon-$2.png"
    HOME=$home xscreensaver-command -deactivate >/dev/null 2>&1 || fail "xscreensaver-command -deactivate"
    local waited=0
    while kill -0 "$hack" 2>/dev/null; do
        [ "$waited" -ge 30 ] && { sed 's/^/daemon: /' "$home/daemon.err"; fail "tobuna still runs 3 s after -deactivate"; }
        sleep 0.1
        waited=$((waited + 1))
    done
    HOME=$home xscreensaver-command -exit >/dev/null 2>&1
    wait_exit "$daemon" 50 || fail "the daemon did not exit"
    log=$home/daemon.err
    audio=$home/audio.raw
}

run_daemon "GL: tobuna --root" silent
white=$(white_fraction "$tmp/silent.png")
awk "BEGIN { exit !($white > 0.6) }" || fail "the title does not fill the screen (white $white)"
# The hack's own output reaches the daemon's log; the daemon notes how it ended.
grep -i -e 'tobuna.*\(error\|crash\|signal [^1]\)' -e 'Mouse load' -e 'musa load' -e 'Unable to' "$log" \
    && fail "error output from the hack"
[ -s "$audio" ] && fail "silent by default, yet it wrote sound"

run_daemon "GL: tobuna --root --sound" sound
[ -s "$audio" ] || fail "--sound wrote no sound"
level=$(sox -t raw -r 44100 -e signed -b 16 -B -c 2 "$audio" -n stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }')
awk "BEGIN { exit !($level > 0.003) }" || fail "--sound played silence (RMS $level)"
echo "ok: saver daemon"
