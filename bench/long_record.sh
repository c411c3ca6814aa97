#!/bin/bash
# One record of 1 MB to 1 GB (a chromosome in one row), from a file, from a pipe and from a
# .gz file: each way should cost about what the file costs, and hold about the record.
#
#   bench/long_record.sh [build-dir] [--no-1g]     (default build/release; needs hyperfine)
#
# The tables are made under bench/data/ and removed afterwards.
set -euo pipefail
if [ ! -c /dev/null ]; then
    echo "/dev/null is not a device here; restore it (mknod -m 666 /dev/null c 1 3) first." >&2
    exit 1
fi
cd "$(dirname "$0")/.."
build=build/release
sizes="1 10 100 200 1000"
for arg in "$@"; do
    case $arg in
    --no-1g) sizes="1 10 100 200" ;;
    *) build=$arg ;;
    esac
done
convert="$build/cli/pellacor-convert"
data=bench/data/long-record
mkdir -p "$data"
trap 'rm -rf "$data"' EXIT

for mb in $sizes; do
    table="$data/$mb.tsv"
    python3 - "$table" "$mb" <<'PY'
import sys
with open(sys.argv[1], "w") as out:
    out.write("chr1\t")
    block = "ACGT" * (1 << 18)  # 1 MiB
    for _ in range(int(sys.argv[2])):
        out.write(block)
    out.write("\n")
PY
    gzip -1 -k "$table"
    runs=$([ "$mb" -ge 1000 ] && echo 3 || echo 7)
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$data/$mb.json" \
        -n file "$convert $table" \
        -n pipe "bash -c 'cat $table | $convert -'" \
        -n gzip "$convert $table.gz" \
        -n "cat (floor)" "bash -c 'cat $table > /dev/null'" > /dev/null
    peak=$( { cat "$table" | /usr/bin/time -f "%M" "$convert" - > /dev/null; } 2>&1 | tail -1)
    python3 - "$data/$mb.json" "$mb" "$peak" <<'PY'
import json, statistics, sys
runs = {r["command"]: statistics.median(r["times"]) for r in json.load(open(sys.argv[1]))["results"]}
file = runs["file"]
print(f"== {sys.argv[2]} MiB in one record (medians)")
for name, t in runs.items():
    print(f"  {t*1000:9.1f} ms  {t/file:5.2f}x the file  {name}")
print(f"  peak from the pipe {int(sys.argv[3]) // 1024} MB")
PY
    rm -f "$table" "$table.gz"
done
