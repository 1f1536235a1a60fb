#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real programs under Xvfb with a window manager and saves PNGs into docs/.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
need_packages xvfb xauth x11-utils x11-apps imagemagick openbox
build_project

demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
mkdir -p "$demo/roms/Super Mario World" "$demo/roms/Zelda" "$demo/floppy"
for name in "Chrono Trigger.swc" "Donkey Kong Country.SWC" "Super Metroid.smc" "F-Zero.sfc" \
            "Yoshi's Island.1" "Yoshi's Island.2" "Yoshi's Island.3" "notes.txt"; do
  head -c 4096 /dev/zero >"$demo/roms/$name"
done

# The inner script: start a window manager and the program, wait for its window, grab it.
cat >"$demo/shoot" <<'INNER'
out=$1 title=$2; shift 2
openbox >/dev/null 2>&1 &
"$@" >/dev/null 2>&1 &
app=$!
for _ in $(seq 50); do
  id=$(xwininfo -root -tree | awk -v t="\"$title\"" 'index($0, t) {print $1; exit}')
  [ -n "$id" ] && break
  sleep 0.2
done
sleep 1.5 # let the title swing a little
import -frame -window "$id" "$out"
kill $app
INNER

cd "$demo/roms"
KESTRIX_FLOPPY="$demo/floppy" xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$demo/shoot" "$root_dir/docs/main-window.png" "Kestrix v1.2" "$build_dir/kestrix/kestrix"
echo "Saved docs/main-window.png"
