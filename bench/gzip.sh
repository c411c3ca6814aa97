#!/bin/bash
# The converter on a 1 GB table compressed with gzip -6, against seqkit tab2fx on the same file
# and against the floors: zcat and igzip -d alone, and cat of the plain table. Also its peak
# memory, from the file and from a pipe. Then gzip output: -o NAME.gz against -o NAME, from
# the 200 MB and the 1 GB table.
#
#   bench/gzip.sh [build-dir] [--before OTHER-CONVERTER]   (default build/release; needs seqkit,
#                                                           hyperfine, igzip from Debian's isal)
#
# --before times another build of the converter in the same run (the one before a change).
# The tables are kept under bench/data/ (1m.tsv is the one bench/convert.sh makes).
set -euo pipefail
if [ ! -c /dev/null ]; then
    echo "/dev/null is not a device here; restore it (mknod -m 666 /dev/null c 1 3) first." >&2
    exit 1
fi
cd "$(dirname "$0")/.."
build=build/release
before=""
while [ $# -gt 0 ]; do
    case $1 in
    --before) before=$2; shift ;;
    *) build=$1 ;;
    esac
    shift
done
data=bench/data
mkdir -p "$data"
convert="$build/cli/pellacor-convert"
table="$data/1m.tsv"
[ -s "$table" ] || "$build/bench/make_table" 1000000 1000 tab > "$table"
[ -s "$table.gz" ] || gzip -6 -k "$table"

# The same FASTA as from the plain table, before any time means anything.
cmp <("$convert" "$table") <("$convert" "$table.gz") && echo "plain and gzip outputs identical"

commands=(-n "cat, plain table" "cat $table"
          -n "cat, gzip file" "cat $table.gz"
          -n "zcat" "zcat $table.gz"
          -n "igzip -d" "igzip -d -c $table.gz"
          -n "pellacor-convert" "$convert $table.gz"
          -n "pellacor-convert -o" "$convert -o $data/gzip-out.fasta $table.gz"
          -n "seqkit tab2fx" "seqkit tab2fx -b 4M -w 80 $table.gz")
[ -n "$before" ] && commands+=(-n "pellacor-convert before" "$before $table.gz")
echo "== $(basename "$table").gz ($(( $(stat -c %s "$table.gz") / 1000000 )) MB of gzip," \
     "$(( $(stat -c %s "$table") / 1000000 )) MB of text), medians of 5 runs"
hyperfine -N --warmup 1 --runs 5 --output null --export-json "$data/gzip.json" "${commands[@]}" \
    > /dev/null
python3 - "$data/gzip.json" <<'PY'
import json, statistics, sys
runs = {r["command"]: statistics.median(r["times"]) for r in json.load(open(sys.argv[1]))["results"]}
for name, t in runs.items():
    print(f"  {t*1000:8.0f} ms  {name}")
print(f"  pellacor-convert is {runs['seqkit tab2fx'] / runs['pellacor-convert']:.2f}x seqkit")
print(f"  pellacor-convert -o is {runs['seqkit tab2fx'] / runs['pellacor-convert -o']:.2f}x seqkit")
if "pellacor-convert before" in runs:
    print(f"  pellacor-convert is {runs['pellacor-convert before'] / runs['pellacor-convert']:.2f}x"
          " the one before")
PY
echo "== peak memory (/usr/bin/time -f %M)"
/usr/bin/time -f "%M" -o "$data/peak" "$convert" "$table.gz" > /dev/null
echo "  $(( $(cat "$data/peak") / 1024 )) MB from the file"
cat "$table.gz" | /usr/bin/time -f "%M" -o "$data/peak" "$convert" - > /dev/null
echo "  $(( $(cat "$data/peak") / 1024 )) MB from a pipe"

# 200 MB as well: writing 1 GB of plain FASTA waits on the disk, which flatters gzip.
[ -s "$data/200k.tsv" ] || "$build/bench/make_table" 200000 1000 tab > "$data/200k.tsv"
for plain in "$data/200k.tsv" "$table"; do
    echo "== gzip output of $(basename "$plain"), medians of 5 runs"
    hyperfine -N --warmup 1 --runs 5 --output null --export-json "$data/gzip.json" \
        -n "plain output" "$convert -o $data/gzip-out.fasta $plain" \
        -n "gzip output" "$convert -o $data/gzip-out.fasta.gz $plain" > /dev/null
    python3 - "$data/gzip.json" "$(stat -c %s "$data/gzip-out.fasta")" \
        "$(stat -c %s "$data/gzip-out.fasta.gz")" <<'PY'
import json, statistics, sys
runs = {r["command"]: statistics.median(r["times"]) for r in json.load(open(sys.argv[1]))["results"]}
for name, t in runs.items():
    print(f"  {t*1000:8.0f} ms  {name}")
print(f"  gzip output takes {runs['gzip output'] / runs['plain output']:.2f}x the time of plain output, "
      f"{int(sys.argv[3]) * 100 / int(sys.argv[2]):.1f}% of its size")
PY
done
rm -f "$data/peak" "$data/gzip.json" "$data/gzip-out.fasta" "$data/gzip-out.fasta.gz"
