#!/usr/bin/env bash
# The committed models are what the generator makes: regenerates them into a
# temporary folder and compares each with data/ byte for byte.
# Usage: assets_test.sh BUILD-DIR SOURCE-DIR
set -u
build=$1
src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$src/scripts/make-assets.sh" "$build" "$tmp" || { echo "FAIL: make-assets.sh"; exit 1; }
failures=0
for name in hiiri jalkapallo2 rantapallo keilapallo tennari kube fontti; do
    cmp -s "$tmp/$name.dump" "$src/data/$name.dump" || {
        echo "FAIL: data/$name.dump differs from the generator's (cmake --build build --target assets)"
        failures=$((failures + 1))
    }
done
# A second run writes the same bytes.
mkdir -p "$tmp/a" "$tmp/b"
"$build/tobuna-make-assets" "$tmp/a" && "$build/tobuna-make-assets" "$tmp/b" && diff -r -q "$tmp/a" "$tmp/b" >/dev/null ||
    { echo "FAIL: two runs of tobuna-make-assets differ"; failures=$((failures + 1)); }
[ "$failures" = 0 ] && echo ok
exit $((failures > 0))
