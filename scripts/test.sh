#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything and runs the whole test suite.
set -euo pipefail
source "$(dirname "$0")/deps.sh"
build_project "$@"
cd "$build_dir"
ctest --output-on-failure -j "$(nproc)"
