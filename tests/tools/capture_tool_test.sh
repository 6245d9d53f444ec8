#!/usr/bin/env bash
# tobuna-capture from the command line: usage, failures that leave nothing
# behind, the same files from two processes, and the MP4 file checked with
# FFmpeg's own tools against the PNG frames.
# Usage: capture_tool_test.sh PATH-TO-TOBUNA-CAPTURE SOURCE-DIR
set -u
tool=$(realpath "$1")
cd "$2" || exit 1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*"; exit 1; }
# Runs the tool, expecting the exit status $1; output in $tmp/out, $tmp/err.
expect_status() {
    local want=$1
    shift
    "$tool" "$@" >"$tmp/out" 2>"$tmp/err"
    local got=$?
    [ "$got" = "$want" ] || fail "status $got, not $want: tobuna-capture $* ($(cat "$tmp/err"))"
}

expect_status 0 --help
grep -q '^usage: tobuna-capture' "$tmp/out" || fail "no usage on --help"

# Wrong usage: status 2, the reason and the usage.
while read -r why args; do
    # shellcheck disable=SC2086
    expect_status 2 $args
    grep -q -e "$why" "$tmp/err" || fail "no '$why' for: $args ($(head -1 "$tmp/err"))"
    grep -q '^usage:' "$tmp/err" || fail "no usage after: $args"
done <<'CASES'
nothing.to.write  --seed 1
--fps.needs       --trace x --fps 0
--fps.needs       --trace x --fps 12.5
--size.needs      --trace x --size 640
--size.needs      --trace x --size 8x8
--seed.needs      --trace x --seed -1
--crf.needs       --trace x --crf 52
--duration.needs  --trace x --duration 0
--start.needs     --trace x --start -3
draws.nothing     --no-video --png dir
draws.nothing     --no-video --mp4 x.mp4
even.width        --mp4 x.mp4 --size 641x480
unknown.option    --trace x --loud 1
needs.a.value     --trace
CASES

# Failures: status 1 with the cause, nothing left that was not there.
expect_status 1 --trace "$tmp/no/such/dir/t.jsonl" --seed 1 --duration 1 --quiet
grep -q "cannot write $tmp/no/such/dir/t.jsonl" "$tmp/err" || fail "unwritable trace: $(cat "$tmp/err")"
echo keep >"$tmp/old.wav"
mkdir "$tmp/empty"
(cd "$tmp/empty" && "$tool" --wav ../old.wav --seed 1 --duration 1 --quiet) >"$tmp/out" 2>"$tmp/err"
[ $? = 1 ] || fail "a capture without data/ did not fail"
grep -q 'Mouse load error!!!' "$tmp/err" || fail "the show's own message is missing"
grep -q 'data/ in the working folder' "$tmp/err" || fail "no word of the data folder: $(cat "$tmp/err")"
[ "$(cat "$tmp/old.wav")" = keep ] || fail "a failed capture changed a file it did not make"
[ -z "$(ls "$tmp/empty")" ] || fail "a failed capture left files: $(ls "$tmp/empty")"
expect_status 1 --png "$tmp/old.wav" --seed 1 --duration 1 --quiet --size 64x48
grep -q 'not a folder' "$tmp/err" || fail "a file as the PNG folder: $(cat "$tmp/err")"
[ -z "$(ls "$tmp" | grep partial)" ] || fail "partial files left behind"

# Two processes, one seed: the same bytes.
for run in a b; do
    expect_status 0 --seed 12 --start 30 --duration 2 --fps 24 --size 160x120 \
        --png "$tmp/png_$run" --wav "$tmp/$run.wav" --trace "$tmp/$run.jsonl" --quiet
done
grep -q '^tobuna-capture: show time 32.000 s (seed 12): 48 video frames, 88200 audio frames' "$tmp/err" \
    || fail "summary: $(cat "$tmp/err")"
[ "$(ls "$tmp/png_a" | wc -l)" = 48 ] || fail "$(ls "$tmp/png_a" | wc -l) frames, not 48"
[ -f "$tmp/png_a/frame_000047.png" ] || fail "frames are not numbered from frame_000000.png"
for f in a.wav a.jsonl; do
    cmp -s "$tmp/$f" "$tmp/${f/a/b}" || fail "$f differs between two runs"
done
diff -r "$tmp/png_a" "$tmp/png_b" >/dev/null || fail "PNG frames differ between two runs"
[ "$(identify -format '%wx%h' "$tmp/png_a/frame_000010.png")" = 160x120 ] || fail "frame size"

# The progress line, rewritten in place on a terminal.
script -qec "$tool --no-video --seed 1 --duration 3600" /dev/null >"$tmp/tty" 2>&1 \
    || fail "a run on a terminal failed"
grep -q $'\r''frame [0-9]* of 216000, [0-9]* frames a second' "$tmp/tty" \
    || fail "no progress line on a terminal: $(head -c 300 "$tmp/tty")"

# MP4: one H.264 and one AAC stream, the frames and length asked for, and
# pictures that match the PNG frames drawn beside them, at the default size.
expect_status 0 --seed 12 --start 44 --duration 0.5 --fps 24 --mp4 "$tmp/a.mp4" \
    --png "$tmp/png_mp4" --quiet
ffprobe -v error -show_entries stream=codec_type,codec_name,pix_fmt,nb_frames,width,height \
    -of csv=p=0 "$tmp/a.mp4" >"$tmp/streams"
grep -qx 'h264,video,1280,960,yuv420p,12' "$tmp/streams" || fail "video stream: $(cat "$tmp/streams")"
grep -q '^aac,audio' "$tmp/streams" || fail "audio stream: $(cat "$tmp/streams")"
[ "$(wc -l <"$tmp/streams")" = 2 ] || fail "streams: $(cat "$tmp/streams")"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$tmp/a.mp4")
awk -v d="$duration" 'BEGIN { exit !(d > 0.49 && d < 0.53) }' || fail "MP4 lasts $duration s"
for k in 0 6 11; do
    ffmpeg -v error -i "$tmp/a.mp4" -vf "select=eq(n\,$k)" -frames:v 1 -y "$tmp/dec.png" \
        || fail "decoding frame $k"
    psnr=$(compare -metric PSNR "$tmp/png_mp4/frame_$(printf %06d $k).png" "$tmp/dec.png" null: 2>&1)
    awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 35) }' \
        || fail "frame $k: PSNR $psnr dB against its PNG"
    echo "frame $k: PSNR $psnr dB"
done
echo ok
