#!/bin/bash
# Times first imports of the large benchmark tables, each in a fresh process right after a run of
# pellacor-convert on the same file, and imports in one session, against the converter.
# Usage: bench/session_import.sh [build-dir]   (default build/release)
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

# The machine's pace drifts between runs: each first import, in a fresh process, is timed right
# after a run of the converter, and the ratios are of medians over the same rounds.
rounds=9
for table in 200k.tsv 200k-described.csv; do
    echo "== $table: $rounds rounds of pellacor-convert, then a first import in a fresh process"
    : > "$data/session-rounds"
    for _ in $(seq $rounds); do
        start=$(date +%s%N)
        "$build/cli/pellacor-convert" "$data/$table" > /dev/null
        end=$(date +%s%N)
        first=$("$build/bench/session_import" "$data/$table" 1 2>&1 > /dev/null |
                sed -n 's/^import .*median \([0-9.]*\) ms.*/\1/p')
        echo "$(( (end - start) / 1000 )) $first" >> "$data/session-rounds"
    done
    echo "== $table: $rounds imports in one session, the first of them fresh"
    "$build/bench/session_import" "$data/$table" $rounds 2>&1 > /dev/null | grep -v "^run " |
        tee "$data/session-one"
    python3 - "$data/session-rounds" "$data/session-one" <<'PY'
import re, statistics, sys
rounds = [line.split() for line in open(sys.argv[1])]
convert = statistics.median(float(c) / 1000 for c, _ in rounds)
first = statistics.median(float(f) for _, f in rounds)
again = float(re.search(r"^import .*median ([0-9.]+) ms", open(sys.argv[2]).read(), re.M)[1])
print(f"  pellacor-convert to stdout: median {convert:.1f} ms")
print(f"  first import: median {first:.1f} ms, {first / convert:.2f}x the converter")
print(f"  imports in one session: median {again:.1f} ms, {again / convert:.2f}x the converter")
PY
done
rm -f "$data/session-rounds" "$data/session-one"
