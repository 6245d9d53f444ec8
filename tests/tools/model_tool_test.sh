#!/usr/bin/env bash
# tobuna-model as a user runs it: convert, info, errors and exit statuses.
# Usage: model_tool_test.sh PATH-TO-TOBUNA-MODEL SOURCE-DIR PATH-TO-TOBUNA-MAKE-ASSETS
set -u
tool=$1
src=$2
make_assets=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS COMMAND...: runs it with stdout and stderr in $tmp/out, $tmp/err
expect() {
    local want=$1
    shift
    "$@" >"$tmp/out" 2>"$tmp/err"
    local got=$?
    [ "$got" = "$want" ] || fail "status $got, not $want: $*"
}

# Convert the mouse from the generator's OBJ and compare with data/.
mkdir "$tmp/obj"
"$make_assets" "$tmp/obj" || fail "tobuna-make-assets"
cd "$tmp/obj"
expect 0 "$tool" convert hiiri.obj "$tmp/hiiri.dump"
cmp -s "$tmp/hiiri.dump" "$src/data/hiiri.dump" || fail "converted mouse differs from data/hiiri.dump"
cd "$tmp"

expect 0 "$tool" info "$tmp/hiiri.dump"
grep -q '^  key: mesh, [0-9]* faces, turns about pivot_key$' out || fail "info does not show the key's pivot"
grep -q '^  tail: mesh, [0-9]* faces, turns about pivot_tail$' out || fail "info does not show the tail's pivot"
grep -q '^  ruumis: ' out || fail "info does not list the ruumis material"
faces=$(sed -n 's/^  [0-9]* vertices, [0-9]* normals, \([0-9]*\) faces$/\1/p' out)
[ -n "$faces" ] || fail "info counts"

expect 0 "$tool" info --json "$tmp/obj/hiiri.obj"
if command -v python3 >/dev/null; then
    python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); assert d["faces"] == int(sys.argv[2]), d["faces"]; assert any(o["name"] == "tail" and o["pivot"] == "pivot_tail" for o in d["objects"])' out "$faces" \
        || fail "info --json is not the expected JSON"
fi

# Bad input: a clear message and status 1, nothing written.
printf 'v 0 0 0\nv 1 0 0\nf 1 2 7\n' >bad.obj
expect 1 "$tool" convert bad.obj out.dump
grep -q '^bad.obj:3: vertex index in "7" is outside the vertices$' err || fail "bad index message: $(cat err)"
[ ! -e out.dump ] || fail "a refused conversion wrote a file"

printf 'v 40000 0 0\nf 1 1 1\n' >huge.obj
expect 1 "$tool" convert huge.obj out.dump
grep -q '^huge.obj: vertex 1 has a coordinate of magnitude above 32766$' err || fail "magnitude message: $(cat err)"
[ ! -e out.dump ] || fail "a model outside the limits was written"

# Text after a NUL byte would be lost: the NUL is an error naming its offset,
# and so any binary file is refused.
printf 'v 0 0 0\nv 1 0 0\n\000v 0 1 0\nf 1 2 3\n' >nul.obj
expect 1 "$tool" convert nul.obj out.dump
grep -q '^nul.obj:3: NUL byte at offset 16$' err || fail "NUL byte message: $(cat err)"
expect 1 "$tool" convert /bin/ls out.dump
grep -q '^/bin/ls:1: NUL byte at offset [0-9]*$' err || fail "binary file message: $(cat err)"
[ ! -e out.dump ] || fail "a file with a NUL byte was converted"

# Material values must be finite numbers, like coordinates.
printf 'newmtl red\nKd nan 0 0\n' >nan.mtl
printf 'mtllib nan.mtl\nv 0 0 0\nusemtl red\nf 1 1 1\n' >nan.obj
expect 1 "$tool" convert nan.obj out.dump
grep -q '^nan.obj: material "red" has a value that is not a finite number in its diffuse colour (Kd)$' err || fail "NaN material message: $(cat err)"
[ ! -e out.dump ] || fail "a material with NaN was written"

printf 'o\x01' >broken.dump
expect 1 "$tool" info broken.dump
grep -q '^broken.dump: byte 2: vertex count cut short$' err || fail "broken dump message: $(cat err)"

expect 1 "$tool" info missing.obj
grep -q '^missing.obj: cannot open' err || fail "missing file message: $(cat err)"

# Pictures: each mode, and a title frame from the data directory.
for mode in outlined solid wire; do
    expect 0 "$tool" render "$src/data/hiiri.dump" "$tmp/mouse-$mode.png" --mode $mode --size 96x64 --yaw 45
    [ "$(head -c 8 "$tmp/mouse-$mode.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "render $mode wrote no PNG"
done
expect 1 "$tool" render "$tmp/broken.dump" "$tmp/x.png"
grep -q '^.*broken.dump: byte 2: vertex count cut short$' err || fail "render of a broken file: $(cat err)"
expect 2 "$tool" render "$src/data/hiiri.dump" x.png --mode shaded
expect 2 "$tool" render "$src/data/hiiri.dump" x.png --size 0x10
(cd "$src" && "$tool" title "$tmp/title.png" --time 9000 --flags 3 --size 64x48) >"$tmp/out" 2>"$tmp/err" \
    || fail "title: $(cat "$tmp/err")"
[ -s "$tmp/title.png" ] || fail "title wrote no picture"
expect 1 "$tool" title "$tmp/title.png" --time 0   # no data/ here
grep -q '^data/hiiri.dump: cannot open' err || fail "title without data: $(cat err)"
expect 2 "$tool" title "$tmp/title.png"

# A main-scene frame from the show's models (run from the repository root).
# pixels FILE HEX: how many pixels of that colour the PNG holds.
pixels() {
    convert "$1" -format %c histogram:info:- | awk -v c="$2" '$3 == c { n += $1 } END { print n + 0 }'
}
if command -v convert >/dev/null; then
    floor_dark='#4C331A' floor_light='#FFFFFF' fence='#DBA866' outline='#000000'
    scene() { (cd "$src" && "$tool" scene "$@") >"$tmp/out" 2>"$tmp/err"; }
    scene "$tmp/scene.png" --size 120x90 --steps 60 --glide 0.2 || fail "scene: $(cat "$tmp/err")"
    [ "$(od -An -tx1 -j12 -N12 "$tmp/scene.png" | tr -d ' \n')" = 49484452000000780000005a ] \
        || fail "scene is not a 120x90 PNG"
    # Seen from above: the checkered floor fills most of the frame, the fence
    # runs round it, and the mice and balls add colours of their own.
    total=$((120 * 90))
    dark=$(pixels "$tmp/scene.png" "$floor_dark") light=$(pixels "$tmp/scene.png" "$floor_light")
    edge=$(pixels "$tmp/scene.png" "$fence") black=$(pixels "$tmp/scene.png" "$outline")
    others=$((total - dark - light - edge - black))
    [ $((dark * 5)) -gt $total ] && [ $((light * 5)) -gt $total ] || fail "scene has no floor ($dark dark, $light light)"
    [ $((edge * 50)) -gt $total ] || fail "scene has no fence ($edge pixels)"
    [ "$others" -gt 40 ] || fail "scene shows no mice or balls ($others pixels of other colours)"
    scene "$tmp/empty.png" --size 120x90 --steps 60 --glide 0.2 --mice 0 --balls 0 || fail "empty scene"
    empty=$(( total - $(pixels "$tmp/empty.png" "$floor_dark") - $(pixels "$tmp/empty.png" "$floor_light") \
              - $(pixels "$tmp/empty.png" "$fence") - $(pixels "$tmp/empty.png" "$outline") ))
    [ "$empty" = 0 ] || fail "a scene without mice or balls has $empty pixels of other colours"
    scene "$tmp/again.png" --size 120x90 --steps 60 --glide 0.2 || fail "scene again"
    cmp -s "$tmp/scene.png" "$tmp/again.png" || fail "the same scene drew differently"
    scene "$tmp/follow.png" --size 120x90 --steps 60 --glide 0.2 --camera 3 --follow ball --height 0.3 --tilt 10 \
        || fail "scene following a ball: $(cat "$tmp/err")"
    cmp -s "$tmp/scene.png" "$tmp/follow.png" && fail "another camera draws the same frame"
else
    fail "the scene checks need ImageMagick's convert"
fi
# Bad options: status 2 and the reason.
while IFS='|' read -r bad reason; do
    # shellcheck disable=SC2086
    expect 2 "$tool" scene "$tmp/x.png" $bad
    grep -qF "tobuna-model: $reason" err || fail "scene $bad: $(cat err)"
done <<'EOF_CASES'
--mice -1|--mice takes a count 0 to 1000
--mice 1001|--mice takes a count 0 to 1000
--balls x|--balls takes a count 0 to 1000
--steps 0|--steps takes a count 1 to 1000000
--camera 7|--camera takes a mode 0 to 6
--follow cat|--follow takes mouse or ball
--glide 0|--glide takes seconds above 0
--seed 1.5|--seed takes a whole number 0 to 4294967295
--seed -1|--seed takes a whole number 0 to 4294967295
--size 0x10|--size takes WIDTHxHEIGHT, each 1 to 8192
--height high|--height takes floor units
--tilt|unknown option for scene, or an option without its value
--bogus 1|unknown option for scene, or an option without its value
EOF_CASES
expect 2 "$tool" scene
expect 2 "$tool" scene "$tmp/x.png" "$tmp/y.png"
[ ! -e "$tmp/x.png" ] || fail "a refused scene wrote a picture"
expect 1 "$tool" scene "$tmp/x.png" --steps 1   # no data/ here
grep -q '^data/hiiri.dump: cannot open' err || fail "scene without data: $(cat err)"

# The viewer needs a display: it opens a window and ends on Escape.
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
    "$tool" view "$src/data/hiiri.dump" >"$tmp/out" 2>"$tmp/err" &
    viewer=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^tobuna-model: ' | head -n 1)
    if [ -z "$window" ]; then
        fail "no viewer window"
        kill $viewer
    else
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key --clearmodifiers 3 key --clearmodifiers 2 key --clearmodifiers Escape
        for _ in $(seq 40); do kill -0 $viewer 2>/dev/null || break; sleep 0.05; done
        if kill -0 $viewer 2>/dev/null; then
            fail "viewer still running after Escape"
            kill $viewer
        fi
    fi
    wait $viewer
    status=$?
    [ "$status" = 0 ] || fail "viewer status $status: $(cat "$tmp/err")"
fi

# Usage.
expect 0 "$tool" --help
grep -q 'tobuna-model convert IN.obj OUT.dump' out || fail "--help"
expect 2 "$tool"
expect 2 "$tool" convert only-one.obj
expect 2 "$tool" frobnicate
expect 2 "$tool" info --bogus x.dump
grep -q 'usage:' err || fail "usage errors show the usage"

[ "$failures" = 0 ] && echo ok
exit $((failures > 0))
