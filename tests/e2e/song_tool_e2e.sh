#!/usr/bin/env bash
# tobuna-song as a composer uses it: help, usage errors, check, info and
# render, with their exit statuses. Usage: song_tool_e2e.sh PATH-TO-TOBUNA-SONG
set -u
tool=$1
song=data/hiiri.txt
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*"; exit 1; }
# Runs the tool, expecting the exit status $1; output in $tmp/out, $tmp/err.
expect_status() {
    local want=$1
    shift
    "$tool" "$@" >"$tmp/out" 2>"$tmp/err"
    local got=$?
    [ "$got" = "$want" ] || fail "status $got, not $want: tobuna-song $*"
}

expect_status 0 --help
grep -q '^usage: tobuna-song render' "$tmp/out" || fail "no usage on --help"
expect_status 2
expect_status 2 mix "$song"
expect_status 2 play
expect_status 2 play "$song" --from -1
expect_status 2 play "$song" --row 18
expect_status 1 play "$tmp/none.txt"
expect_status 2 check
expect_status 2 render "$song"
expect_status 2 render "$song" "$tmp/x.wav" --row 18
expect_status 2 render "$song" "$tmp/x.wav" --seconds -1
expect_status 2 render "$song" "$tmp/x.wav" --seed
expect_status 2 render "$song" "$tmp/x.wav" --volume 3
grep -q '^usage:' "$tmp/err" || fail "no usage after a usage error"

expect_status 0 check "$song"
[ -s "$tmp/out" ] && fail "the show's song has problems: $(cat "$tmp/out")"
expect_status 1 check "$tmp/none.txt"

printf 'bpm:125\ni1:sini,1,0,0,1,0\np0:c4\nt1:p0,p4\n\nt3:p0\n' >"$tmp/bad.txt"
expect_status 1 check "$tmp/bad.txt"
printf '%s\n' "$tmp/bad.txt:4: track names pattern 4, which holds no event; left out" \
    "$tmp/bad.txt:6: track 3 is not heard: there is no track 2" \
    "$tmp/bad.txt:6: track 3 has no instrument line; it is silent" >"$tmp/want"
diff "$tmp/want" "$tmp/out" || fail "check output"

expect_status 0 info "$song"
grep -q '^tempo 125: 5292 frames a step' "$tmp/out" || fail "info tempo: $(head -1 "$tmp/out")"
[ "$(grep -c '^voice ' "$tmp/out")" = 13 ] || fail "info lists $(grep -c '^voice ' "$tmp/out") voices, not 13"
expect_status 1 info "$tmp/none.txt"

expect_status 0 render "$song" "$tmp/a.wav" --seconds 2 --seed 7 --row 17 --transpose -8
expect_status 0 render "$song" "$tmp/b.wav" --seconds 2 --seed 7 --row 17 --transpose -8
cmp -s "$tmp/a.wav" "$tmp/b.wav" || fail "the same seed renders differently"
# 44-byte header, then 2 s of 4-byte frames.
[ "$(stat -c %s "$tmp/a.wav")" = $((44 + 88200 * 4)) ] || fail "WAV size $(stat -c %s "$tmp/a.wav")"
[ "$(head -c 4 "$tmp/a.wav")" = RIFF ] || fail "no RIFF header"
[ "$(od -An -tu4 -j24 -N4 "$tmp/a.wav" | tr -d ' ')" = 44100 ] || fail "not 44100 Hz"
[ "$(od -An -tu2 -j22 -N2 "$tmp/a.wav" | tr -d ' ')" = 2 ] || fail "not stereo"
expect_status 0 render "$song" "$tmp/c.wav" --seconds 2 --seed 7 --row 12
cmp -s "$tmp/a.wav" "$tmp/c.wav" && fail "another row renders the same"
expect_status 1 render "$tmp/none.txt" "$tmp/d.wav"
expect_status 1 render "$song" "$tmp/no/such/dir/e.wav" --seconds 1
# The header's sizes count the frames written, to the last one.
[ "$(od -An -tu4 -j40 -N4 "$tmp/a.wav" | tr -d ' ')" = $((88200 * 4)) ] || fail "data size"
[ "$(od -An -tu4 -j4 -N4 "$tmp/a.wav" | tr -d ' ')" = $((36 + 88200 * 4)) ] || fail "RIFF size"
expect_status 0 render "$song" "$tmp/f.wav" --seconds 0.5 --seed 7
[ "$(stat -c %s "$tmp/f.wav")" = $((44 + 22050 * 4)) ] || fail "half-second WAV size"
# A length past what a WAV header can count is refused before anything is written.
expect_status 1 render "$song" "$tmp/g.wav" --seconds 24400
grep -q 'do not fit in a WAV file' "$tmp/err" || fail "no message for a too-long WAV: $(cat "$tmp/err")"
[ -e "$tmp/g.wav" ] && fail "a refused render wrote a file"

# What is not a song file is refused by every command, with the reason: a
# directory, a FIFO (not waited on), and text with a NUL byte, which the
# show would play only up to that byte.
mkfifo "$tmp/fifo"
printf 'bpm:125\ni1:sini,1,0,9,1,0\np0:c4\nt1:p0\n\000t2:p0\n' >"$tmp/nul.txt"
while read -r file reason; do
    for command in check info render; do
        args=("$command" "$file")
        [ "$command" = render ] && args+=("$tmp/h.wav" --seconds 1)
        timeout 10 "$tool" "${args[@]}" >"$tmp/out" 2>"$tmp/err"
        got=$?
        [ "$got" = 1 ] || fail "status $got, not 1: tobuna-song ${args[*]}"
        grep -qF "$reason" "$tmp/out" "$tmp/err" || fail "tobuna-song ${args[*]} does not say \"$reason\": $(cat "$tmp/out" "$tmp/err")"
    done
done <<EOF_CASES
$tmp Is a directory
$tmp/fifo not a regular file
$tmp/nul.txt NUL byte at offset 38: the song ends there
EOF_CASES
[ -e "$tmp/h.wav" ] && fail "a refused song rendered a file"
echo ok
