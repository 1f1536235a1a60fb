#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real programs under Xvfb with a window manager and saves PNGs into docs/. The images
# lie in a neutral folder, /tmp/roms, so no picture shows a path of the machine that made it, and
# ucon64 is the real one where the build made it from its source.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
need_packages xvfb xauth x11-utils x11-apps imagemagick openbox xdotool
build_project

demo=$(mktemp -d)
roms=/tmp/roms
mkdir "$roms" || { echo "$roms is there already: move it away first"; exit 1; }
trap 'rm -rf "$demo" "$roms"' EXIT
ln -s "$roms" "$demo/roms"
mkdir -p "$demo/roms/Super Mario World" "$demo/roms/Zelda" "$demo/floppy"
# Images with a copier header: size in 8 KB units, mode byte, then AA BB 04 at offset 8.
rom() { # name, size low, size high, mode
  { printf "\\x$2\\x$3\\x$4\\x00\\x00\\x00\\x00\\x00\\xaa\\xbb\\x04"; head -c 501 /dev/zero; } >"$demo/roms/$1"
}
rom "Donkey Kong Country.SWC" 00 04 0c
rom "F-Zero.sfc" 80 00 0c
rom "Yoshi's Island.1" 00 01 40
rom "Yoshi's Island.2" 00 01 40
rom "Yoshi's Island.3" 00 01 00
# The image the window selects, 32 Mbit with a made-up game header whose checksum is wrong, so
# the game row has something to say.
python3 - "$demo/roms/Chrono Trigger.swc" <<'PY'
import sys
body = bytearray(32 * 131072)
body[0xffc0:0xffe0] = b"KESTRIX DEMO".ljust(21) + bytes([0x31, 2, 12, 3, 1, 0x33, 0, 255, 255, 0, 0])
body[0xfffc:0xfffe] = b"\x00\x80"
copier = bytes([0x00, 0x02, 0x24, 0, 0, 0, 0, 0, 0xaa, 0xbb, 0x04]).ljust(512, b"\0")
open(sys.argv[1], "wb").write(copier + body)
PY
for name in "Super Metroid.smc" "notes.txt"; do head -c 512 /dev/zero >"$demo/roms/$name"; done
# The real tool; its window stays up after a transfer with no copier on the port. Without its
# source a stand-in prints that failure the way the tool does.
mkdir -p "$demo/bin" "$demo/home"
real=$build_dir/tests/ucon64-src/ucon64
if [ -x "$real" ]; then
  cp "$real" "$demo/bin/ucon64"
else
  echo "No ucon64 built from its source: its window shows a stand-in's words."
  cat >"$demo/bin/ucon64" <<'TOOL'
#!/bin/sh
echo "uCON64 2.2.1 UNIX (Linux) 1999-2019"
echo "ERROR: Could not set the I/O privilege level to 3" >&2
exit 1
TOOL
  chmod +x "$demo/bin/ucon64"
fi
# Its first run writes its settings and says so; that run is not the one shown.
HOME="$demo/home" UCON64_HOME="$demo/home" "$demo/bin/ucon64" --version >/dev/null 2>&1 || true

# The inner script: start a window manager and the program, wait for its window, grab it.
cat >"$demo/shoot" <<'INNER'
out=$1 title=$2 aboutOut=$3 consoleOut=$4; shift 4
openbox >/dev/null 2>&1 &
"$@" >/dev/null 2>&1 &
app=$!
window() { # title: the id of the first window of that title, waited for
  local id=
  for _ in $(seq 50); do
    id=$(xwininfo -root -tree | awk -v t="\"$1\"" 'index($0, t) {print $1; exit}')
    [ -n "$id" ] && break
    sleep 0.2
  done
  echo "$id"
}
id=$(window "$title")
sleep 2 # let the window settle before clicking into it
# One xdotool call a step: a chained click can come before the pointer has moved.
click() { xdotool mousemove --window "$1" "$2" "$3"; sleep 0.5; xdotool click 1; }
click "$id" 260 25 # select an image
sleep 1.5 # let the title swing a little
import -frame -window "$id" "$out"
click "$id" 248 493 # "About"
about=$(window "About Kestrix")
sleep 0.3 # let the credit rise a little
import -frame -window "$about" "$aboutOut"
xdotool windowactivate --sync "$about" key --clearmodifiers alt+F4 # closed as by its user
for _ in $(seq 50); do xwininfo -id "$about" >/dev/null 2>&1 || break; sleep 0.1; done
sleep 0.5
click "$id" 45 421 # "Send ROM"
console=$(window "ucon64")
[ -n "$console" ] || { echo "no ucon64 window"; kill $app; exit 1; }
sleep 0.5 # let the output arrive
import -frame -window "$console" "$consoleOut"
kill $app
INNER

cd "$roms"
HOME="$demo/home" UCON64_HOME="$demo/home" PATH="$demo/bin:$PATH" xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$demo/shoot" "$root_dir/docs/main-window.png" "Kestrix v1.2" \
  "$root_dir/docs/about-window.png" "$root_dir/docs/console-window.png" \
  "$build_dir/kestrix/kestrix"

# The installer, run from a copy of the kestrix installer folder; nothing is installed.
cmake --build "$build_dir" --target dist >/dev/null
cp -r "$build_dir/kestrix-setup" "$demo/setup"
cat >"$demo/shoot-setup" <<'INNER'
out=$1; shift
openbox >/dev/null 2>&1 &
sleep 1 # the window manager must frame the window before it can be grabbed
"$@" >/dev/null 2>&1 &
app=$!
for _ in $(seq 50); do
  id=$(xwininfo -root -tree | awk 'index($0, "\"Kestrix Installer\"") {print $1; exit}')
  [ -n "$id" ] && break
  sleep 0.2
done
sleep 1 # let the window settle
import -frame -window "$id" "$out"
kill $app
INNER
mkdir -p "$demo/home"
HOME="$demo/home" xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$demo/shoot-setup" "$root_dir/docs/setup-window.png" "$demo/setup/setup"
echo "Saved docs/main-window.png, docs/about-window.png, docs/console-window.png and"
echo "docs/setup-window.png"
