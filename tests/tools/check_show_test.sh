#!/usr/bin/env bash
# tobuna-model check-show: the show's data folder passes; each broken copy
# of it is reported as FILE: reason, with status 1.
# Usage: check_show_test.sh PATH-TO-TOBUNA-MODEL SOURCE-DIR
set -u
tool=$1
src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$tool" check-show "$src/data" >"$tmp/out" 2>&1
status=$?
[ "$status" = 0 ] || fail "data/: status $status"
[ -s "$tmp/out" ] && fail "data/ has findings: $(cat "$tmp/out")"

# Replaces bytes in a file, exactly once: FILE PYTHON-BYTES PYTHON-BYTES
replace_once() {
    python3 - "$@" <<'EOF'
import ast, sys
path, old, new = sys.argv[1], ast.literal_eval(sys.argv[2]), ast.literal_eval(sys.argv[3])
data = open(path, "rb").read()
if data.count(old) != 1:
    sys.exit("%r occurs %d times in %s" % (old, data.count(old), path))
open(path, "wb").write(data.replace(old, new))
EOF
}
# Every occurrence: FILE PYTHON-BYTES PYTHON-BYTES
replace_all() {
    python3 -c 'import ast, sys; p = sys.argv[1]; d = open(p, "rb").read(); open(p, "wb").write(d.replace(ast.literal_eval(sys.argv[2]), ast.literal_eval(sys.argv[3])))' "$@"
}
# Halves a dump's coordinates by doubling its scale: FILE
halve_model() {
    python3 -c 'import struct, sys; p = sys.argv[1]; d = bytearray(open(p, "rb").read()); d[0:2] = struct.pack("<H", 2 * struct.unpack("<H", d[0:2])[0]); open(p, "wb").write(d)' "$1"
}

# Each case: a name, the edit (run in the copy), the file it breaks, and the
# finding that must be reported for it.
cases=(
    "mouse without key|replace_once hiiri.dump \"b'okey\\\\0'\" \"b'okez\\\\0'\"|hiiri.dump|no object \"key\": the wind-up key is not drawn"
    "tail without pivot|replace_once hiiri.dump \"b'opivot_tail\\\\0'\" \"b'opivot_tall\\\\0'\"|hiiri.dump|no pivot object \"pivot_tail\": the tail does not turn"
    "body without ruumis|replace_all hiiri.dump \"b'ruumis\\\\0'\" \"b'ruumiz\\\\0'\"|hiiri.dump|no group of \"body\" has the material \"ruumis\": the mice all look alike"
    "missing ball|rm tennari.dump|tennari.dump|cannot open: No such file or directory"
    "small ball|halve_model keilapallo.dump|keilapallo.dump|the ball's radius is 0.506, not about 1: it sinks into the floor or floats above it"
    "small cube|halve_model kube.dump|kube.dump|the cube does not span -1..1 on axis 0 (centre 0): the fence rails are misplaced"
    "font without k|replace_once fontti.dump \"b'ok\\\\0'\" \"b'o~\\\\0'\"|fontti.dump|no glyph object \"k\": the credits miss it"
    "missing song|rm hiiri.txt|hiiri.txt|cannot open: No such file or directory"
    "song with a gap|sed -i /^t5:/d hiiri.txt|hiiri.txt|no track t5: voices 5 to 13 are not heard, and the arrangement rows miss them"
    "note above b6 under +4|sed -i 's/^p20:e5,/p20:b6,/' hiiri.txt|hiiri.txt|voice 2 plays b6 in pattern 20, which leaves c1..b6 transposed by +4 (the show plays it as b6)"
    "note below c1 under -8|sed -i 's/^p30:a2,/p30:f1,/' hiiri.txt|hiiri.txt|voice 3 plays f1 in pattern 30, which leaves c1..b6 transposed by -8 (the show plays it as c1)"
    "other tempo|sed -i 's/^bpm:125/bpm:140/' hiiri.txt|hiiri.txt|the tempo is not 125: the title's credits are timed for 255 steps of tempo 125"
    "track that ends|sed -i 's/^t13:p130,loop/t13:p130/' hiiri.txt|hiiri.txt|track t13 does not loop: voice 13 falls silent after 64 steps"
    "track of 48 steps|sed -i 's/^t10:p100,p100,p100,p100,loop/t10:p100,p100,p100,loop/' hiiri.txt|hiiri.txt|track t10 loops after 48 steps, which drifts against the arrangement rows of 64"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name edit file finding <<<"$entry"
    copy="$tmp/copy"
    rm -rf "$copy"
    cp -r "$src/data" "$copy"
    (cd "$copy" && eval "$edit") || { fail "$name: the edit failed"; continue; }
    "$tool" check-show "$copy" >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" = 1 ] || fail "$name: status $status"
    grep -qxF "$copy/$file: $finding" "$tmp/out" || fail "$name: no \"$file: $finding\" in: $(cat "$tmp/out" "$tmp/err")"
    # Nothing is said about the files that were not touched.
    others=$(grep -v "^$copy/$file:" "$tmp/out")
    [ -z "$others" ] || fail "$name: findings on other files: $others"
done

# A folder that is not there, or not a folder; usage.
"$tool" check-show "$tmp/none" >"$tmp/out" 2>&1
[ $? = 1 ] || fail "a missing folder: not status 1"
grep -qxF "$tmp/none: cannot open: No such file or directory" "$tmp/out" || fail "missing folder: $(cat "$tmp/out")"
"$tool" check-show "$src/data/hiiri.txt" >"$tmp/out" 2>&1
[ $? = 1 ] || fail "a file as the folder: not status 1"
grep -qxF "$src/data/hiiri.txt: not a folder" "$tmp/out" || fail "file as the folder: $(cat "$tmp/out")"
"$tool" check-show >/dev/null 2>&1
[ $? = 2 ] || fail "check-show without DIR: not status 2"
"$tool" check-show "$src/data" extra >/dev/null 2>&1
[ $? = 2 ] || fail "check-show with two folders: not status 2"

[ "$failures" = 0 ] && echo ok
exit $((failures > 0))
