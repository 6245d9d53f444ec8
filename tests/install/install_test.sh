#!/usr/bin/env bash
# cmake --install into a scratch prefix: the files in their places, the
# desktop entry and manual pages valid, the icons drawn; the installed show
# run from another working directory, after the prefix was moved, and
# without its data. Usage: install_test.sh BUILD-DIR
# Exits 77 (skipped) without an X display.
set -u
build=$1
. "$(dirname "$0")/common.sh"
need_display
need_tools desktop-file-validate man identify
export SDL_AUDIODRIVER=dummy

cmake --install "$build" --prefix "$tmp/prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "install"; }
DESTDIR="$tmp/dest" cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 || fail "install with DESTDIR"
[ -x "$tmp/dest/usr/bin/tobuna" ] || fail "DESTDIR: no usr/bin/tobuna"

p=$tmp/prefix
for f in bin/tobuna bin/tobuna-model bin/tobuna-song bin/tobuna-capture \
         share/tobuna/data/hiiri.dump share/tobuna/data/fontti.dump share/tobuna/data/jalkapallo2.dump \
         share/tobuna/data/keilapallo.dump share/tobuna/data/kube.dump share/tobuna/data/rantapallo.dump \
         share/tobuna/data/tennari.dump share/tobuna/data/hiiri.txt \
         share/man/man6/tobuna.6.gz share/man/man1/tobuna-model.1.gz share/man/man1/tobuna-song.1.gz \
         share/man/man1/tobuna-capture.1.gz share/applications/tobuna.desktop \
         share/xscreensaver/config/tobuna.xml share/doc/tobuna/copyright share/doc/tobuna/changelog.gz; do
    [ -f "$p/$f" ] || fail "not installed: $f"
done
[ "$(readlink "$p/libexec/xscreensaver/tobuna")" = ../../bin/tobuna ] || fail "the hack is not a link to ../../bin/tobuna"
[ "$(realpath "$p/libexec/xscreensaver/tobuna")" = "$(realpath "$p/bin/tobuna")" ] || fail "the hack's link leads elsewhere"

desktop-file-validate "$p/share/applications/tobuna.desktop" >"$tmp/err" 2>&1 || fail "desktop-file-validate"
[ -s "$tmp/err" ] && fail "desktop-file-validate has remarks"
if command -v xmllint >/dev/null; then
    xmllint --noout "$p/share/xscreensaver/config/tobuna.xml" 2>"$tmp/err" || fail "tobuna.xml is not well-formed"
fi
grep -q 'arg-set="--sound"' "$p/share/xscreensaver/config/tobuna.xml" || fail "tobuna.xml has no sound option"

for page in "$p"/share/man/man*/*.gz; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$tmp/page" 2>"$tmp/err" || fail "man -l $page"
    [ -s "$tmp/err" ] && fail "man -l $page warns"
    for section in NAME SYNOPSIS DESCRIPTION 'EXIT STATUS' EXAMPLES; do
        grep -q "^$section" "$tmp/page" || fail "$page has no $section"
    done
done

for size in 16 32 48 64 128 256; do
    icon=$p/share/icons/hicolor/${size}x${size}/apps/tobuna.png
    [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "icon $icon is not ${size}x${size}"
done
# The mouse is drawn on the plain background: neither blank nor all one colour.
colours=$(convert "$p/share/icons/hicolor/256x256/apps/tobuna.png" -format '%k' info:)
[ "$colours" -gt 8 ] || fail "the 256 icon has $colours colours"

mkdir -p "$tmp/elsewhere"
run_installed_show "$p/bin/tobuna" "$tmp/elsewhere"
# A relocated installation finds its data beside the program.
mv "$p" "$tmp/moved"
run_installed_show "$tmp/moved/bin/tobuna" "$tmp/elsewhere"
# Through the screensaver's link too.
run_installed_show "$tmp/moved/libexec/xscreensaver/tobuna" "$tmp/elsewhere"
rm -r "$tmp/moved/share/tobuna/data"
run_show_without_data "$tmp/moved/bin/tobuna" "$tmp/elsewhere"
echo "ok: install"
