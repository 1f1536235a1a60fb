#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The logic libraries stay free of widgets: no source under kestrix/core or setup/core includes a
# header of Qt's Widgets module, or one of the windows beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
widgets=$(qtpaths6 --query QT_INSTALL_HEADERS)/QtWidgets
[ -d "$widgets" ] || { echo "check-layers: no Qt Widgets headers in $widgets"; exit 1; }
names=$(ls "$widgets" | paste -sd'|')
found=$(git ls-files 'kestrix/core/*' 'setup/core/*' |
  xargs -r grep -n -E "#include [<\"]((QtWidgets/)?($names)|ui/[^\">]*)[>\"]" || true)
if [ -n "$found" ]; then
  echo "check-layers: logic sources include widgets:"
  echo "$found"
  exit 1
fi
echo "check-layers: the logic libraries include no widgets"
