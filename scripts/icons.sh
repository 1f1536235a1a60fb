#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders kestrix's icon from its SVG at the sizes the menu takes. The 16 x 16 icon is drawn by
# hand, pixel by pixel, so it stays sharp; it is not made here.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
need_packages librsvg2-bin
cd "$root_dir/kestrix/ui/icons"
for size in 32 48 64 128; do
  rsvg-convert -w "$size" -h "$size" kestrix.svg -o "kestrix-$size.png"
done
