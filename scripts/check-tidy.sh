#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) on every C++ source under
# src/ and tools/ with the compile commands of a build; fails on any
# finding. A finding of a check in a file, both named on one line of
# scripts/tidy-pending.txt, is listed but not failed: those wait for their
# fixes, and each fix removes its line. Usage: scripts/check-tidy.sh
# BUILD-DIR. Exits 77 (skipped) without clang-tidy.
set -u
cd "$(dirname "$0")/.."
root=$PWD
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
# Each finding as "FILE CHECK", the file relative to the repository.
findings=$(sed -n "s#^$root/\([^:]*\):[0-9]*:[0-9]*: \(error\|warning\): .*\[\([a-z0-9.-]*\).*\]\$#\1 \3#p" "$out" | sort -u)
pending=scripts/tidy-pending.txt
new=$(printf '%s\n' "$findings" | grep . | grep -vxF -f <(grep -v '^#' "$pending" 2>/dev/null) || true)
waiting=$(printf '%s\n' "$findings" | grep . | grep -cxF -f <(grep -v '^#' "$pending" 2>/dev/null) || true)
[ "${waiting:-0}" -gt 0 ] && echo "$waiting findings wait for their fixes (scripts/tidy-pending.txt)"
if [ -n "$new" ]; then
    while read -r file check; do
        grep -F "$root/$file:" "$out" | grep -F "[$check" -A 3
    done <<<"$new"
    echo "FAIL: clang-tidy findings:"
    echo "$new"
    exit 1
fi
echo "ok: $(git ls-files 'src/*.cpp' 'tools/*.cpp' | wc -l) sources, no other finding"
