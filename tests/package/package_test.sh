#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: built from the build tree, holding the kestrix component and nothing else,
# its menu entry and AppStream data valid, no lintian errors where lintian is installed, and the
# program installed from it opening its window. Exit 77 tells CTest the test was skipped.
set -euo pipefail
build=$1
command -v dpkg-deb >/dev/null || { echo "skipped: dpkg-deb is missing"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >/dev/null
deb=$(echo "$scratch"/out/kestrix_*_"$(dpkg --print-architecture)".deb)
[ -f "$deb" ] || { echo "no kestrix_VERSION_ARCH.deb in $scratch/out"; ls "$scratch/out"; exit 1; }
dpkg-deb --field "$deb" Package Section Maintainer Suggests Depends

id=io.github.kestrix.Kestrix
expected="./usr/bin/kestrix
./usr/share/applications/$id.desktop
./usr/share/doc/kestrix/README.md
./usr/share/doc/kestrix/changelog.gz
./usr/share/doc/kestrix/copyright
./usr/share/icons/hicolor/128x128/apps/$id.png
./usr/share/icons/hicolor/16x16/apps/$id.png
./usr/share/icons/hicolor/32x32/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/64x64/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/man/man1/kestrix.1.gz
./usr/share/metainfo/$id.metainfo.xml"
files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$files" != "$expected" ]; then
  echo "the package holds other files than expected:"
  diff <(echo "$expected") <(echo "$files") || true
  exit 1
fi
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || { echo "no Qt in Depends"; exit 1; }
[ "$(dpkg-deb --field "$deb" Suggests)" = ucon64 ] || { echo "Suggests is not ucon64"; exit 1; }

root=$scratch/root
dpkg-deb -x "$deb" "$root"
# One version: the package's, the program's own and its manual page's.
version=$(dpkg-deb --field "$deb" Version)
[ "$("$root/usr/bin/kestrix" --version)" = "kestrix $version" ] ||
  { echo "kestrix --version does not say $version"; exit 1; }
zcat "$root/usr/share/man/man1/kestrix.1.gz" | grep -q "\"Kestrix $version\"" ||
  { echo "the manual page does not name $version"; exit 1; }
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
else
  echo "lintian is not installed: not run"
fi

# The installed program, started as from the menu, opens its main window.
command -v xvfb-run >/dev/null && command -v xwininfo >/dev/null ||
  { echo "skipped the start: xvfb-run or xwininfo is missing"; exit 77; }
cat >"$scratch/start" <<'INNER'
"$1" >/dev/null 2>&1 &
app=$!
for _ in $(seq 300); do
  if xwininfo -root -tree | grep -q "\"Kestrix v$2\""; then
    kill $app
    echo "the installed kestrix opened its window"
    exit 0
  fi
  kill -0 $app 2>/dev/null || { echo "the installed kestrix ended without a window"; exit 1; }
  sleep 0.1
done
kill $app
echo "no window of the installed kestrix after 30 s"
exit 1
INNER
# A real window on the X server, whatever platform the caller's environment names.
cd "$scratch" && HOME="$scratch" QT_QPA_PLATFORM=xcb xvfb-run -a bash "$scratch/start" "$root/usr/bin/kestrix" "${version%.*}"
