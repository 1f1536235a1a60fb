#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the tests' share of the program's lines (non-blank, non-comment lines of .cpp and .h:
# tests/ against kestrix/ and setup/) and the line coverage of kestrix/ and setup/ that a build
# made with --coverage recorded when its tests ran. Fails below 88 % coverage.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-cov}
count() {
  git ls-files -- "$@" | grep -E '\.(cpp|cc|h|hpp)$' | xargs -r cat | grep -c -v -E '^\s*(//.*)?$'
}
code=$(count kestrix setup)
tests=$(count tests)
echo "Tests: $tests lines, $((100 * tests / code)) % of the program's $code lines (aim: 25 to 35 %)"
summary=$(gcovr -r . --filter 'kestrix/' --filter 'setup/' --print-summary -o "$build/coverage.txt" "$build")
coverage=$(echo "$summary" | awk '/^lines:/ { sub("%", "", $2); print $2 }')
echo "Line coverage of kestrix/ and setup/: $coverage % (at least 88 %)"
awk -v c="$coverage" 'BEGIN { exit !(c >= 88) }' || { echo "Line coverage fell below 88 %"; exit 1; }
