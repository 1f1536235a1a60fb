#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds kestrix and starts it in the folder this script was called from.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
build_project
exec "$build_dir/kestrix/kestrix" "$@"
