#!/bin/bash
# Load check: a table of about 2 GB through pellacor-convert, its peak resident memory measured
# with /usr/bin/time -v against the bound of 2.5 times the input size. The table is made under
# bench/data/ and deleted at the end (pass --keep to keep it).
#
#   bench/load.sh [build-dir] [--keep]      (default build/release)
set -euo pipefail
# Timed output goes to /dev/null; where that is a plain file, writing it costs real time.
if [ ! -c /dev/null ]; then
    echo "/dev/null is not a device here; restore it (mknod -m 666 /dev/null c 1 3) first." >&2
    exit 1
fi
cd "$(dirname "$0")/.."
build=build/release
keep=no
for arg in "$@"; do
    case $arg in
    --keep) keep=yes ;;
    *) build=$arg ;;
    esac
done
convert="$build/cli/pellacor-convert"
data=bench/data
mkdir -p "$data"
table="$data/load-2g.tsv"
csv="$data/load-2g.csv"
out="$data/load-2g.fasta"
cleanup() {
    rm -f "$out"
    [ "$keep" = yes ] || rm -f "$table" "$csv"
}
trap cleanup EXIT

# 2,000,000 rows of 1,000 residues with a description: about 2.07 GB.
[ -s "$table" ] || "$build/bench/make_table" 2000000 1000 tab > "$table"
[ -s "$csv" ] || "$build/bench/make_table" 2000000 1000 comma > "$csv"

measure() { # label command...
    local label=$1
    shift
    local log
    log=$(mktemp)
    /usr/bin/time -v "$@" 2> "$log" > /dev/null
    local rss_kb seconds size
    rss_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
    seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log")
    size=$(stat -c %s "${@: -1}")
    rm -f "$log"
    awk -v l="$label" -v r="$rss_kb" -v s="$size" -v t="$seconds" 'BEGIN {
        ratio = r * 1024 / s
        printf "%-28s input %6.0f MB  peak RSS %6.0f MB  ratio %.2f  wall %s  %s\n",
               l, s / 1e6, r * 1024 / 1e6, ratio, t, (ratio <= 2.5 ? "within 2.5x" : "OVER 2.5x")
    }'
}

measure "TSV to standard output" "$convert" "$table"
measure "CSV to standard output" "$convert" "$csv"
measure "TSV to a file (-o)" "$convert" -o "$out" "$table"
cmp -s <("$convert" "$table") "$out" && echo "file output identical to standard output"
