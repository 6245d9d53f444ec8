#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) on every C++ source under
# src/ and tools/ with the compile commands of a build; fails on any
# finding. Usage: scripts/check-tidy.sh BUILD-DIR. Exits 77 (skipped)
# without clang-tidy.
set -u
cd "$(dirname "$0")/.."
build=${1:-build}
tidy=$(command -v clang-tidy-14 || command -v clang-tidy) || {
    echo "no clang-tidy: skipped"
    exit 77
}
[ -f "$build/compile_commands.json" ] || {
    echo "no $build/compile_commands.json: configure the build first"
    exit 1
}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
git ls-files 'src/*.cpp' 'tools/*.cpp' \
    | xargs -P "$(nproc)" -n 4 "$tidy" -p "$build" --quiet >"$out" 2>/dev/null
status=$?
if grep -q ': \(error\|warning\):' "$out"; then
    cat "$out"
    echo "FAIL: $(grep -c ': \(error\|warning\):' "$out") clang-tidy findings"
    exit 1
fi
[ "$status" = 0 ] || { cat "$out"; echo "FAIL: clang-tidy status $status"; exit 1; }
echo "ok: $(git ls-files 'src/*.cpp' 'tools/*.cpp' | wc -l) sources clean"
