#!/bin/bash
# Times a session import of the large benchmark tables against pellacor-convert on the same files.
# Usage: bench/session_import.sh [build-dir]   (default build/release; needs hyperfine)
set -euo pipefail
# Timed output goes to /dev/null; where that is a plain file, writing it costs real time.
if [ ! -c /dev/null ]; then
    echo "/dev/null is not a device here; restore it (mknod -m 666 /dev/null c 1 3) first." >&2
    exit 1
fi
cd "$(dirname "$0")/.."
build=${1:-build/release}
data=bench/data
mkdir -p "$data"
# The converter benchmark's table (descriptions inside column 1), and the same rows with the
# description in a column of its own, comma-separated.
[ -s "$data/200k.tsv" ] || "$build/bench/make_table" 200000 1000 tab > "$data/200k.tsv"
[ -s "$data/200k-described.csv" ] || awk -F'\t' '
    NR == 1 { print "Identifier,Sequence,Description"; next }
    { split($1, id, " "); print id[1] "," $2 "," substr($1, length(id[1]) + 2) }' \
    "$data/200k.tsv" > "$data/200k-described.csv"

for table in 200k.tsv 200k-described.csv; do
    echo "== $table: pellacor-convert"
    hyperfine --warmup 2 --runs 9 --export-json "$data/session-$table.json" \
        "$build/cli/pellacor-convert $data/$table > /dev/null" > /dev/null
    python3 - "$data/session-$table.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
print(f"  median {r['median'] * 1000:.1f} ms, fastest {r['min'] * 1000:.1f} ms")
PY
    echo "== $table: session import, first in a fresh process"
    "$build/bench/session_import" "$data/$table" 1 2>&1 > /dev/null | grep -E "^(import|peak RSS after)"
    echo "== $table: session import, 9 runs in one session"
    "$build/bench/session_import" "$data/$table" 9 2>&1 > /dev/null | grep -v "^run "
done
