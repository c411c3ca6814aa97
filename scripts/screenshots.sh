#!/bin/sh
# Takes pictures of the window (initial, processing, result with the panel, panel closed) under
# a virtual X display. Usage: scripts/screenshots.sh [OUTPUT-DIR] [TABLE]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$root/build/screens"}
table=${2:-"$root/examples/example.csv"}
cmake --build "$root/build/release" --target ui_screenshots >/dev/null
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$root/build/release/scripts/screenshots/ui_screenshots" "$out" "$table"
