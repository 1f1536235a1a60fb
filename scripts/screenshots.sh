#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real programs under Xvfb with a window manager and saves PNGs into docs/.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
need_packages xvfb xauth x11-utils x11-apps imagemagick openbox xdotool
build_project

demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
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
# A tool that talks for a while, so its window can be seen.
mkdir -p "$demo/bin"
cat >"$demo/bin/ucon64" <<'TOOL'
#!/bin/sh
echo "uCON64 2.2.1 UNIX (Linux) 1999-2019"
echo "Uses code from various people. See 'developers.html' for more!"
echo
echo "Super Nintendo Entertainment System/SNES/Super Famicom"
echo "Checksum: Bad, 0xf4c7 (calculated) != 0x0000 (internal)"
echo "Wrote backup to $(dirname "$2")/Chrono Trigger.bak"
echo "ERROR: example of an error line" >&2
sleep 4
TOOL
chmod +x "$demo/bin/ucon64"

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
sleep 1 # let the window settle before clicking into it
xdotool mousemove --window "$id" 260 25 sleep 0.5 click 1 sleep 0.5 click 1 # select an image
sleep 1.5 # let the title swing a little
import -frame -window "$id" "$out"
xdotool mousemove --window "$id" 248 493 sleep 0.3 click 1 # "About"
about=$(window "About Kestrix")
sleep 0.3 # let the credit rise a little
import -frame -window "$about" "$aboutOut"
xdotool windowactivate --sync "$about" key --clearmodifiers alt+F4 # closed as by its user
for _ in $(seq 50); do xwininfo -id "$about" >/dev/null 2>&1 || break; sleep 0.1; done
sleep 0.5
xdotool mousemove --window "$id" 340 332 sleep 0.3 click 1 # "Fix Checksum"
console=$(window "ucon64")
[ -n "$console" ] || { echo "no ucon64 window"; kill $app; exit 1; }
sleep 0.5 # let the output arrive
import -frame -window "$console" "$consoleOut"
kill $app
INNER

cd "$demo/roms"
PATH="$demo/bin:$PATH" KESTRIX_FLOPPY="$demo/floppy" xvfb-run -a -s "-screen 0 1024x768x24" \
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
