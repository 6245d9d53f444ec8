#!/usr/bin/env bash
# Fails on any C++ source under version control that clang-format would
# change (the layout is .clang-format's). Sources named in
# scripts/format-pending.txt are listed but not failed: they predate the
# layout and wait for one reformatting commit; that commit empties the list.
# Exits 77 (skipped) without clang-format.
set -u
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format) || {
    echo "no clang-format: skipped"
    exit 77
}
pending=scripts/format-pending.txt
bad=0 waiting=()
while IFS= read -r file; do
    if "$format" --dry-run --Werror "$file" 2>/dev/null; then
        continue
    fi
    if [ -f "$pending" ] && grep -qxF "$file" "$pending"; then
        waiting+=("$file")
        continue
    fi
    echo "not formatted: $file"
    "$format" "$file" | diff -u "$file" - | head -n 40
    bad=1
done < <(git ls-files '*.cpp' '*.h')
if [ ${#waiting[@]} -gt 0 ]; then
    echo "${#waiting[@]} sources wait for the reformatting (scripts/format-pending.txt)"
fi
[ "$bad" = 0 ] && echo "ok: every other source is formatted"
exit $bad
