#!/usr/bin/env bash
# Memory over time: SECONDS of the show on the capture tool's virtual clock,
# without video, checked for invalid accesses and for what is still held
# when it ends. Usage: show_leak_check.sh PATH-TO-TOBUNA-CAPTURE SECONDS [SANITIZERS]
#
# Without SANITIZERS (a plain build) the run is under valgrind's memcheck:
# any invalid access or leaked block fails, and every block still reachable
# at exit must have been allocated by a library or by what the show keeps
# by design: its models, its song and the World's records. With SANITIZERS
# (a sanitizer build) the build's own sanitizers and LeakSanitizer check it.
# Prints the capture's summary and the records it allocated per hour of
# show time. Exits 77 (skipped) while the capture tool is not built.
set -u
capture=$1
seconds=$2
sanitizers=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ ! -x "$capture" ]; then
    echo "tobuna-capture is not built ($capture): skipped"
    exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
args=(--no-video --seed 1 --duration "$seconds" --quiet)

fail() { echo "FAIL: $*"; exit 1; }

if [ -n "$sanitizers" ]; then
    ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1} \
        LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/../../scripts/lsan.supp:print_suppressions=0} \
        "$capture" "${args[@]}" >"$tmp/out" 2>"$tmp/err"
    status=$?
    cat "$tmp/err"
    [ "$status" = 0 ] || fail "status $status under $sanitizers"
else
    command -v valgrind >/dev/null || { echo "no valgrind: skipped"; exit 77; }
    valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
        --errors-for-leak-kinds=definite,indirect,possible --num-callers=40 --fullpath-after= \
        --log-file="$tmp/memcheck" "$capture" "${args[@]}" >"$tmp/out" 2>"$tmp/err"
    status=$?
    cat "$tmp/err"
    grep -E 'ERROR SUMMARY|in use at exit|definitely lost|indirectly lost|possibly lost|still reachable:' "$tmp/memcheck" \
        | sed 's/^==[0-9]*== *//'
    if [ "$status" != 0 ]; then
        sed 's/^==[0-9]*== \{0,1\}//' "$tmp/memcheck" | tail -n 80
        fail "status $status under memcheck (99: an invalid access or a leak)"
    fi
    # Each still-reachable block: the first frame below the allocator that
    # is not a library template decides. Library code (any source outside
    # this repository) may keep what it likes; the project's code only its
    # models, its song and the World's records.
    awk -v root="$root/" -v kept='^(model_|load_models|load_title_assets|load_font|synth_|render_instrument|song_|audio_start|mouse_create|ball_create)' '
        { sub(/^==[0-9]+== ?/, "") }
        /are still reachable in loss record/ { inrec = 1; decided = 0; record = $0; next }
        inrec && /^ *(at|by) 0x/ {
            if (decided) next
            line = $0
            sub(/^ *(at|by) 0x[0-9A-Fa-f]+: /, "", line)
            if (line ~ /^(malloc|calloc|realloc|operator new|operator new\[\]|memalign|posix_memalign|aligned_alloc) /) next
            if (line ~ /^(std::|__gnu_cxx::)/) next  # templates of the standard library
            decided = 1
            if (index(line, "(" root) == 0) next     # library code
            if (line ~ kept) next
            print "held at exit by " line ": " record; bad++
            next
        }
        /^ *$/ { inrec = 0 }
        END { exit bad > 0 }' "$tmp/memcheck" >"$tmp/held" || {
        cat "$tmp/held"
        fail "memory held at exit beyond the models, the song and the World's records"
    }
fi

summary=$(grep 'records allocated' "$tmp/err" | tail -n 1)
[ -n "$summary" ] || fail "no summary line with the records allocated"
records=$(echo "$summary" | sed -n 's/.* \([0-9][0-9]*\) records allocated.*/\1/p')
show_time=$(echo "$summary" | sed -n 's/.*show time \([0-9.]*\) s.*/\1/p')
[ -n "$records" ] && [ -n "$show_time" ] || fail "cannot read the summary: $summary"
echo "records allocated: $records in $show_time s of show time, $(awk "BEGIN { printf \"%.0f\", $records * 3600 / $show_time }") an hour"
echo "ok: $seconds s of show time"
