#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the tests' share of the program's lines and the line coverage of kestrix/ and setup/
# that a build made with --coverage recorded when its tests ran. Fails below 88 % coverage.
# Lines are non-blank and non-comment; every test source counts whatever its language (the
# stand-in tools, the shell scripts, the fuzz targets), the CMake files and fuzz seeds do not.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-cov}
count() {
  local total=0 file comment
  while read -r file; do
    case $file in
      *.cpp | *.h) comment='//' ;;
      *.sh | *.py) comment='#' ;;
      *) continue ;;
    esac
    total=$((total + $(grep -c -v -E "^\s*($comment.*)?$" "$file" || true)))
  done < <(git ls-files -- "$@")
  echo "$total"
}
code=$(count kestrix setup)
tests=$(count tests fuzz)
echo "Tests: $tests lines, $((100 * tests / code)) % of the program's $code lines (aim: 25 to 35 %)"
summary=$(gcovr -r . --filter 'kestrix/' --filter 'setup/' --print-summary -o "$build/coverage.txt" "$build")
coverage=$(echo "$summary" | awk '/^lines:/ { sub("%", "", $2); print $2 }')
echo "Line coverage of kestrix/ and setup/: $coverage % (at least 88 %)"
awk -v c="$coverage" 'BEGIN { exit !(c >= 88) }' || { echo "Line coverage fell below 88 %"; exit 1; }
