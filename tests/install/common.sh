# Shared by the installation and screensaver tests: a scratch folder removed
# on exit, failure with the program's standard error, the X display check and
# screenshots measured with ImageMagick. Source it after setting -u.
tmp=$(mktemp -d)
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [ -s "$tmp/err" ] && sed 's/^/stderr: /' "$tmp/err"; exit 1; }

need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
    done
}

need_display() {
    [ -n "${DISPLAY:-}" ] || { echo "no X display: skipped"; exit 77; }
    need_tools xdotool import convert
}

# The share of a picture's pixels that are white.
white_fraction() {
    convert "$1" -fill black +opaque white -fill white -opaque white -colorspace Gray -format '%[fx:mean]' info:
}

# Waits up to $2 tenths of a second for process $1 to end; sets status.
wait_exit() {
    local pid=$1 limit=$2 waited=0
    while kill -0 "$pid" 2>/dev/null; do
        [ "$waited" -ge "$limit" ] && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$pid"
    status=$?
    return 0
}

# Runs an installed show ($1) from working directory $2 in a 640 x 480
# window: the title on white, Escape ends it with 0.
run_installed_show() {
    local prog=$1 dir=$2 window
    (cd "$dir" && exec "$prog" -w 640 480 >"$tmp/out" 2>"$tmp/err") &
    local pid=$!
    pids+=("$pid")
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tobuna$' | head -n 1)
    [ -n "$window" ] || fail "$prog: no window named Tobuna"
    sleep 3
    import -window "$window" "$tmp/title.png" || fail "no screenshot"
    local white
    white=$(white_fraction "$tmp/title.png")
    awk "BEGIN { exit !($white > 0.6) }" || fail "$prog: the title is not on white (white $white)"
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key --clearmodifiers Escape
    wait_exit "$pid" 20 || fail "$prog: still running 2 s after Escape"
    [ "$status" = 0 ] || fail "$prog: status $status after Escape"
}

# Runs an installed show ($1) from $2 whose data folder is gone: the mouse
# load message and 255.
run_show_without_data() {
    local prog=$1 dir=$2
    (cd "$dir" && exec "$prog" -w 320 240 >"$tmp/out" 2>"$tmp/err")
    status=$?
    [ "$status" = 255 ] || fail "$prog without data: status $status, not 255"
    printf 'Mouse load error!!!\n' | cmp -s - "$tmp/err" || fail "$prog without data: standard error is not the mouse load message"
}
