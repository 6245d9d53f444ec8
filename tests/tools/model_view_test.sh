#!/usr/bin/env bash
# tobuna-model view under X: --watch reloads a changed OBJ (and its MTL),
# keeps the last good model when the file breaks; zoom, turn, frame and the
# pivoted parts' animation change the picture; Escape ends it.
# Usage: model_view_test.sh PATH-TO-TOBUNA-MODEL SOURCE-DIR
# Exits 77 (skipped) without an X display or the tools it needs.
set -u
tool=$(realpath "$1")
src=$2
if [ -z "${DISPLAY:-}" ]; then
    echo "no X display: skipped"
    exit 77
fi
for t in xdotool import compare; do
    command -v $t >/dev/null || { echo "no $t: skipped"; exit 77; }
done
tmp=$(mktemp -d)
viewer=
trap '[ -n "$viewer" ] && kill $viewer 2>/dev/null; rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A box and a pyramid over the same base, and their material library.
box() {
    cat <<'EOF'
mtllib shape.mtl
o shape
usemtl paint
v -1 -1 -1
v 1 -1 -1
v 1 1 -1
v -1 1 -1
v -1 -1 1
v 1 -1 1
v 1 1 1
v -1 1 1
f 1 4 3 2
f 5 6 7 8
f 1 2 6 5
f 2 3 7 6
f 3 4 8 7
f 4 1 5 8
EOF
}
pyramid() {
    cat <<'EOF'
mtllib shape.mtl
o shape
usemtl paint
v -1 -1 -1
v 1 -1 -1
v 1 1 -1
v -1 1 -1
v 0 0 1
f 1 4 3 2
f 1 2 5
f 2 3 5
f 3 4 5
f 4 1 5
EOF
}
material() { printf 'newmtl paint\nKd %s\n' "$1"; }
# Replaces a file at once, as an exporter that renames its output does.
put() { cat >"$1.new" && mv "$1.new" "$1"; }

# Starts the viewer on $1 with $2 (--watch or nothing) and finds its window.
start() {
    "$tool" view "$1" ${2:+"$2"} >"$tmp/out" 2>"$tmp/err" &
    viewer=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^tobuna-model: ' | head -n 1)
    [ -n "$window" ] || { fail "no viewer window"; return 1; }
    xdotool windowfocus --sync "$window" 2>/dev/null
    sleep 0.3
}
keys() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
shot() { import -window "$window" "$tmp/$1.png" || fail "no screenshot $1"; }
# The count of pixels in which two pictures differ.
differ() { compare -metric AE "$tmp/$1.png" "$tmp/$2.png" null: 2>&1 | cut -d' ' -f1; }
same() { [ "$(differ "$1" "$2")" = 0 ] || fail "$3: the picture changed ($(differ "$1" "$2") pixels)"; }
changed() { [ "$(differ "$1" "$2")" != 0 ] || fail "$3: the picture did not change"; }
# Ends the viewer with Escape and checks its status.
finish() {
    keys Escape
    for _ in $(seq 40); do kill -0 $viewer 2>/dev/null || break; sleep 0.05; done
    if kill -0 $viewer 2>/dev/null; then
        fail "viewer still running after Escape"
        kill $viewer
    fi
    wait $viewer
    local status=$?
    viewer=
    [ "$status" = 0 ] || fail "viewer status $status: $(cat "$tmp/err")"
}

cd "$tmp"
box | put shape.obj
material '0.8 0.2 0.2' | put shape.mtl
if start shape.obj --watch; then
    keys Left           # takes the turning over: the picture holds still
    shot box
    sleep 0.5
    shot box-later
    same box box-later "without turning"

    pyramid | put shape.obj
    sleep 1
    shot pyramid
    changed box pyramid "the OBJ replaced by a pyramid"
    grep -qxF "tobuna-model: shape.obj reloaded" out || fail "no reload message: $(cat out)"

    material '0.2 0.2 0.9' | put shape.mtl
    sleep 1
    shot blue
    changed pyramid blue "the material library changed"

    { pyramid; echo 'f 1 2 9'; } | put shape.obj
    sleep 1
    shot broken
    same blue broken "a broken OBJ"
    grep -qxF 'shape.obj:14: vertex index in "9" is outside the vertices' err || fail "no reason for the broken file: $(cat err)"
    grep -qxF 'tobuna-model: shape.obj: the last model that loaded stays on show' err || fail "no keeping message: $(cat err)"

    rm shape.obj
    sleep 1
    shot missing
    same blue missing "a removed OBJ"
    grep -q '^shape.obj: cannot open' err || fail "no reason for the missing file: $(cat err)"

    box | put shape.obj
    sleep 1
    shot box-again
    changed blue box-again "the OBJ back as a box"

    keys plus
    shot zoomed
    changed box-again zoomed "+"
    xdotool mousemove --window "$window" 320 240 click 5
    sleep 0.4
    shot wheel
    changed zoomed wheel "the wheel"
    keys f
    shot framed
    same box-again framed "f after zooming"
    keys minus
    shot smaller
    changed framed smaller "-"
    keys Right Right Up
    shot turned
    changed smaller turned "the arrow keys"
    keys 3
    shot wire
    changed turned wire "3 (wire)"
    finish
fi

# The mouse: its key and tail turn while o is on, and hold still after.
if start "$src/data/hiiri.dump"; then
    keys Left
    shot mouse
    keys o
    sleep 0.3
    shot moving
    changed mouse moving "o"
    keys o
    shot stopped
    sleep 0.4
    shot stopped-later
    same stopped stopped-later "o again"
    finish
fi
grep -q . "$tmp/out" && fail "the viewer without --watch printed: $(cat "$tmp/out")"

"$tool" view shape.obj --bogus >/dev/null 2>&1
[ $? = 2 ] || fail "an unknown option is not a usage error"
"$tool" view shape.obj other.obj >/dev/null 2>&1
[ $? = 2 ] || fail "two files are not a usage error"
"$tool" view none.obj --watch >/dev/null 2>"$tmp/err"
[ $? = 1 ] || fail "a missing file at the start: not status 1"

[ "$failures" = 0 ] && echo ok
exit $((failures > 0))
