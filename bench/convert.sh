#!/bin/bash
# Times pellacor-convert on large tables against seqkit tab2fx and against cat (the floor).
# Usage: bench/convert.sh [build-dir]   (default build/release; needs seqkit and hyperfine)
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
convert="$build/cli/pellacor-convert"

make_table() { # rows length delimiter file
    [ -s "$4" ] || "$build/bench/make_table" "$1" "$2" "$3" > "$4"
}
make_table 200000 1000 tab "$data/200k.tsv"
make_table 200000 1000 comma "$data/200k.csv"
make_table 1000000 1000 tab "$data/1m.tsv"

# Both tools must write the same FASTA before their speed means anything.
"$convert" "$data/200k.tsv" > "$data/pellacor.fasta"
tail -n +2 "$data/200k.tsv" | seqkit tab2fx -b 4M -w 80 > "$data/seqkit.fasta"
cmp "$data/pellacor.fasta" "$data/seqkit.fasta" && echo "outputs identical"

for table in 200k.tsv 200k.csv 1m.tsv; do
    size=$(stat -c %s "$data/$table")
    echo "== $table ($((size / 1000000)) MB)"
    commands=("cat $data/$table > /dev/null" "$convert $data/$table > /dev/null")
    # seqkit reads tab-separated input only.
    [[ $table == *.tsv ]] && commands+=("seqkit tab2fx -b 4M -w 80 $data/$table > /dev/null")
    hyperfine --warmup 2 --runs 9 --export-json "$data/$table.json" "${commands[@]}" > /dev/null
    python3 - "$data/$table.json" "$size" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["results"]
size = int(sys.argv[2])
for r in runs:
    print(f"  {r['median']*1000:8.1f} ms median  {size/r['median']/1e6:7.0f} MB/s  {r['command']}")
PY
    /usr/bin/time -f "  peak RSS %M KB (input $((size / 1024)) KB)" "$convert" "$data/$table" > /dev/null
done
