#!/bin/sh
# Takes pictures of the window under a virtual X display: initial, processing, a long import
# with its progress and Cancel and the result kept after Escape, result with the panel, the find
# bar with a hit, keyboard focus on "Save as File", the close control and Copy, a file dragged
# over the window, identifiers in other scripts on the column grid, panel closed, warnings,
# the preview of a guessed layout, a failed table's columns beside its error.
# Usage: scripts/screenshots.sh [OUTPUT-DIR] [TABLE]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$root/build/screens"}
table=${2:-"$root/examples/example.csv"}
cmake --build "$root/build/release" --target ui_screenshots >/dev/null
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$root/build/release/scripts/screenshots/ui_screenshots" "$out" "$table"
