#!/usr/bin/env bash
# The editor as a distribution and a user get it: installed into a staging folder (DESTDIR) and
# checked by the desktop's own validators, then packaged with cpack, whose package must name the
# Qt libraries the program links to and pass Debian's package checker.
#   check_install.sh BUILD_FOLDER APPLICATION_ID
set -euo pipefail
build="$(cd "$1" && pwd)"
id="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

DESTDIR="$work/tree" cmake --install "$build" --prefix /usr >/dev/null
usr="$work/tree/usr"

[ -x "$usr/bin/quorvane" ] || fail "no bin/quorvane"
version="$("$usr/bin/quorvane" --version)"
[[ "$version" =~ ^quorvane\ [0-9] ]] || fail "--version printed: $version"

desktop="$usr/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop entry"
grep -qx 'Exec=quorvane %f' "$desktop" || fail "Exec line"
grep -qx 'MimeType=application/x-quorvane-diagram;' "$desktop" || fail "MimeType line"
grep -qx "Icon=$id" "$desktop" || fail "Icon line"

appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >/dev/null || fail "metainfo"

mime="$usr/share/mime/packages/$id.xml"
xmllint --noout "$mime" || fail "file type package"
for glob in '\*\.ERD' '\*\.erd'; do
  grep -q "pattern=\"$glob\"" "$mime" || fail "no glob $glob"
done
if command -v update-mime-database >/dev/null; then
  # The database built from the package alone knows the type by name and by its first line.
  mkdir -p "$work/mime/packages"
  cp "$mime" "$work/mime/packages/"
  update-mime-database "$work/mime" 2>/dev/null
  grep -q 'application/x-quorvane-diagram:\*\.erd' "$work/mime/globs2" || fail "glob not in the database"
  grep -q '@ERDIAGRAM' "$work/mime/magic" || fail "first line not in the database"
fi

warnings="$(zcat "$usr/share/man/man1/quorvane.1.gz" | groff -z -w all -man 2>&1)"
[ -z "$warnings" ] || fail "man page: $warnings"

for size in 16 32 48 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || fail "no $size pixel icon"
  # A PNG's width and height stand big-endian at bytes 16 and 20.
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$icon")
  [ $(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4)) -eq "$size" ] || fail "$icon is not $size wide"
  [ $(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4)) -eq "$size" ] || fail "$icon is not $size high"
done
xmllint --noout "$usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon"
head -1 "$usr/share/quorvane/examples/shop.ERD" | grep -q '^@ERDIAGRAM' || fail "example diagram"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) || fail "cpack"
package="$(ls "$work"/package/quorvane_*.deb)"
depends="$(dpkg-deb -f "$package" Depends)"
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6printsupport6 fonts-dejavu-core; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
contents="$(dpkg-deb -c "$package")"
for file in ./usr/bin/quorvane "./usr/share/applications/$id.desktop" "./usr/share/mime/packages/$id.xml"; do
  [[ "$contents" == *" $file"* ]] || fail "the package lacks $file"
done
[ "$(dpkg-deb -f "$package" Recommends)" = qt6-wayland ] || fail "Recommends is not qt6-wayland"
# Debian's package checker, informational tags (the hardening ones) included; its one override
# stands on the program calling checked libc functions, and the stack protector it does not look at.
dpkg-deb -x "$package" "$work/deb"
symbols="$(nm -D --undefined-only "$work/deb/usr/bin/quorvane")"
[[ "$symbols" == *" __stack_chk_fail@"* ]] || fail "no stack protector"
[[ "$symbols" =~ \ __[a-z_]+_chk@ ]] || fail "no checked libc function"
report="$(lintian --display-info --fail-on error,warning,info "$package" 2>&1)" || fail "lintian: $report"
echo "installed tree and package checked: $depends"
