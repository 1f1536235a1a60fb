#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Stands in for the unzip program: records its working folder and argv in "pkunzip-ran.txt"
# there, one per line.
{ pwd -P && printf '%s\n' "$0" "$@"; } >pkunzip-ran.txt
