#!/usr/bin/env bash
# The Debian package from the existing build: its control fields and
# contents, lintian without errors, and the show run from the package
# unpacked into a scratch root. Usage: package_test.sh BUILD-DIR
# Exits 77 (skipped) without cpack's Debian tools or an X display.
set -u
build=$1
. "$(dirname "$0")/common.sh"
need_tools cpack dpkg-deb dpkg-shlibdeps fakeroot
need_display
export SDL_AUDIODRIVER=dummy

cpack -G DEB -B "$tmp/pkg" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 \
    || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(ls "$tmp"/pkg/tobuna_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no tobuna_VERSION_amd64.deb"

dpkg-deb --info "$deb" >"$tmp/info" || fail "dpkg-deb --info"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tobuna ] || fail "Package is $(field Package)"
[ "$(field Section)" = graphics ] || fail "Section is $(field Section)"
depends=$(field Depends)
# The libraries the binaries link, as dpkg-shlibdeps found them.
for dep in libsdl1.2 libglu1 libopengl0 libpng16 libavformat libavcodec libavutil libswscale libx11-6 libc6; do
    case $depends in *"$dep"*) ;; *) fail "Depends lacks $dep: $depends" ;; esac
done
[ "$(field Description | wc -l)" -gt 3 ] || fail "no long description"

dpkg-deb --contents "$deb" >"$tmp/listing" || fail "dpkg-deb --contents"
awk '{ print $6 }' "$tmp/listing" >"$tmp/contents"
for f in ./usr/bin/tobuna ./usr/bin/tobuna-model ./usr/bin/tobuna-song ./usr/bin/tobuna-capture \
         ./usr/share/tobuna/data/hiiri.dump ./usr/share/tobuna/data/hiiri.txt \
         ./usr/share/man/man6/tobuna.6.gz ./usr/share/man/man1/tobuna-capture.1.gz \
         ./usr/share/applications/tobuna.desktop ./usr/share/icons/hicolor/256x256/apps/tobuna.png \
         ./usr/libexec/xscreensaver/tobuna ./usr/share/xscreensaver/config/tobuna.xml \
         ./usr/share/doc/tobuna/copyright ./usr/share/doc/tobuna/changelog.gz; do
    grep -qx -- "$f" "$tmp/contents" || fail "the package lacks $f"
done
grep -q '^lrwxrwxrwx .* ./usr/libexec/xscreensaver/tobuna -> ../../bin/tobuna$' "$tmp/listing" \
    || fail "the hack is not a link to ../../bin/tobuna"

if command -v lintian >/dev/null; then
    lintian "$deb" >"$tmp/lintian" 2>&1
    sed 's/^/lintian: /' "$tmp/lintian"
    grep -q '^E: ' "$tmp/lintian" && fail "lintian reports errors"
else
    echo "no lintian: its check skipped"
fi

dpkg-deb -x "$deb" "$tmp/root" || fail "dpkg-deb -x"
mkdir -p "$tmp/elsewhere"
run_installed_show "$tmp/root/usr/bin/tobuna" "$tmp/elsewhere"
echo "ok: package"
