#!/bin/sh
# Times pellacor-convert on workbooks of 20,000 and 200,000 rows of 1,000 residues, written with
# shared strings (LibreOffice) and with inline strings (openpyxl), against two yardsticks:
# unzip extracting the same workbook alone, and openpyxl reading the same rows in read-only mode.
#
#   bench/workbooks.sh [build-dir] [row counts...]     (defaults: build/release, 20000 200000)
#
# Needs hyperfine, soffice (libreoffice-calc-nogui), python3-openpyxl. Data goes to bench/data/.
set -eu
# Timed output goes to /dev/null; where that is a plain file, writing it costs real time.
if [ ! -c /dev/null ]; then
    echo "/dev/null is not a device here; restore it (mknod -m 666 /dev/null c 1 3) first." >&2
    exit 1
fi
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/release}
shift $(( $# > 0 ? 1 : 0 ))
counts=${*:-20000 200000}
convert=$(cd "$build" && pwd)/cli/pellacor-convert
data=$here/data
mkdir -p "$data"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for rows in $counts; do
    name=rows$rows
    if [ ! -f "$data/$name-inline.xlsx" ]; then
        echo "writing $name.csv and $name-inline.xlsx" >&2
        /usr/bin/python3 "$here/make_workbooks.py" "$data" "$name" "$rows" 1000
    fi
    if [ ! -f "$data/$name-shared.xlsx" ]; then
        echo "converting $name.csv with LibreOffice" >&2
        start=$(date +%s)
        soffice --headless --infilter=CSV:44,34,76 --convert-to xlsx --outdir "$scratch" \
            "$data/$name.csv" >/dev/null 2>&1
        mv "$scratch/$name.xlsx" "$data/$name-shared.xlsx"
        echo "  LibreOffice took $(( $(date +%s) - start )) s" >&2
    fi
    for kind in shared inline; do
        book=$data/$name-$kind.xlsx
        runs=$([ "$rows" -gt 50000 ] && echo 5 || echo 10)
        hyperfine --style basic --warmup 1 --runs "$runs" \
            --export-json "$data/$name-$kind.json" \
            --prepare "rm -rf '$scratch/unzipped'" \
            -n "pellacor-convert $name-$kind" "'$convert' '$book' > /dev/null" \
            -n "unzip -q $name-$kind" "/usr/bin/unzip -q '$book' -d '$scratch/unzipped'"
        hyperfine --style basic --runs 3 --export-json "$data/$name-$kind-openpyxl.json" \
            -n "openpyxl read-only $name-$kind" \
            "/usr/bin/python3 '$here/read_openpyxl.py' '$book' 2>/dev/null"
    done
done

# Medians of every run, from the JSON that hyperfine wrote.
/usr/bin/python3 - "$data" <<'PY'
import glob, json, statistics, sys
for path in sorted(glob.glob(sys.argv[1] + "/rows*.json")):
    for result in json.load(open(path))["results"]:
        print(f"{result['command']:45s} median {statistics.median(result['times']):8.3f} s"
              f"  (user {result['user']:.3f} s, system {result['system']:.3f} s)")
PY
