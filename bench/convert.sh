#!/bin/bash
# The converter on large tables, from a file and from a pipe, against seqkit tab2fx -b 4M -w 80
# (the tool a user would pick instead) and against cat (the floor), and its peak memory. From a
# file it reads on every core; "one thread" is the same conversion with PELLACOR_PIECE_BYTES=0,
# and "-o" writes a file, which is not checked first.
#
#   bench/convert.sh [build-dir] [--no-10g]     (default build/release; needs seqkit, hyperfine)
#
# Tables of 200 MB and 1 GB are kept under bench/data/; the 10 GB one is made for the memory
# check and deleted afterwards (it needs 11 GB free).
set -euo pipefail
# Timed output goes to /dev/null; where that is a plain file, writing it costs real time.
if [ ! -c /dev/null ]; then
    echo "/dev/null is not a device here; restore it (mknod -m 666 /dev/null c 1 3) first." >&2
    exit 1
fi
cd "$(dirname "$0")/.."
build=build/release
ten=yes
for arg in "$@"; do
    case $arg in
    --no-10g) ten=no ;;
    *) build=$arg ;;
    esac
done
data=bench/data
mkdir -p "$data"
convert="$build/cli/pellacor-convert"

make_table() { # rows length delimiter file
    [ -s "$4" ] || "$build/bench/make_table" "$1" "$2" "$3" > "$4"
}
make_table 200000 1000 tab "$data/200k.tsv"
make_table 1000000 1000 tab "$data/1m.tsv"

# Both tools must write the same FASTA before their speed means anything.
"$convert" "$data/200k.tsv" > "$data/pellacor.fasta"
tail -n +2 "$data/200k.tsv" | seqkit tab2fx -b 4M -w 80 > "$data/seqkit.fasta"
cmp "$data/pellacor.fasta" "$data/seqkit.fasta" && echo "outputs identical"
rm -f "$data/pellacor.fasta" "$data/seqkit.fasta"

for table in 200k.tsv 1m.tsv; do
    size=$(stat -c %s "$data/$table")
    echo "== $table ($((size / 1000000)) MB), medians of 9 runs"
    hyperfine --warmup 2 --runs 9 --export-json "$data/$table.json" \
        -n "cat, file" "cat $data/$table > /dev/null" \
        -n "pellacor-convert, file" "$convert $data/$table > /dev/null" \
        -n "pellacor-convert, file, one thread" \
        "env PELLACOR_PIECE_BYTES=0 $convert $data/$table > /dev/null" \
        -n "pellacor-convert -o, file (no check)" "$convert $data/$table -o /dev/null" \
        -n "seqkit, file" "seqkit tab2fx -b 4M -w 80 $data/$table > /dev/null" \
        -n "pellacor-convert, pipe" "cat $data/$table | $convert - > /dev/null" \
        -n "seqkit, pipe" "cat $data/$table | seqkit tab2fx -b 4M -w 80 > /dev/null" > /dev/null
    python3 - "$data/$table.json" "$size" <<'PY'
import json, statistics, sys
runs = {r["command"]: statistics.median(r["times"]) for r in json.load(open(sys.argv[1]))["results"]}
size = int(sys.argv[2])
for name, t in runs.items():
    print(f"  {t*1000:8.1f} ms  {size/t/1e6:7.0f} MB/s  {name}")
for how in ("file", "pipe"):
    print(f"  pellacor-convert is {runs['seqkit, ' + how] / runs['pellacor-convert, ' + how]:.2f}x "
          f"seqkit from a {how}")
print(f"  pellacor-convert -o is {runs['seqkit, file'] / runs['pellacor-convert -o, file (no check)']:.2f}x "
      "seqkit from a file")
PY
done

report_peak() { # label
    echo "  peak resident memory $(( $(cat "$data/peak") / 1024 )) MB: $1"
}
peak() { # label table
    /usr/bin/time -f "%M" -o "$data/peak" "$convert" "$2" > /dev/null
    report_peak "$1"
}
peak_from_pipe() { # label table: only the converter is measured, not cat
    cat "$2" | /usr/bin/time -f "%M" -o "$data/peak" "$convert" - > /dev/null
    report_peak "$1"
}
echo "== peak memory (/usr/bin/time -f %M)"
peak "1 GB from a file" "$data/1m.tsv"
peak_from_pipe "1 GB from a pipe" "$data/1m.tsv"
if [ "$ten" = yes ]; then
    free=$(df --output=avail -B1G "$data" | tail -1)
    if [ "$free" -lt 11 ]; then
        echo "  (10 GB check skipped: needs 11 GB free under $data, has ${free} GB)"
    else
        trap 'rm -f "$data/10g.tsv"' EXIT
        make_table 10000000 1000 tab "$data/10g.tsv"
        peak "10 GB from a file" "$data/10g.tsv"
        peak_from_pipe "10 GB from a pipe" "$data/10g.tsv"
    fi
fi
rm -f "$data/peak"
