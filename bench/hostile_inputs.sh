#!/bin/bash
# Inputs too large for the test suite, made to hurt the converter: each must end quickly, in
# bounded memory, with the right outcome. Tables go to bench/data/ and are deleted afterwards.
#
#   bench/hostile_inputs.sh [build-dir]      (default build/release; needs ~12 GB free)
#
# 1. a workbook whose sheet holds one 2 GiB attribute (2 MB compressed): fails in seconds;
# 2. a workbook of 100 million empty shared strings (under 1 MB): converts in bounded memory;
# 3. a valid table with a non-ASCII sequence of 2.2 GB: converts, with and without --trace;
# 4. a 3 GB ASCII table with one non-ASCII byte, with --trace: converts.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
convert="$build/cli/pellacor-convert"
data=bench/data/hostile
mkdir -p "$data"
trap 'rm -rf "$data"' EXIT
free=$(df --output=avail -B1G "$data" | tail -1)
if [ "$free" -lt 12 ]; then
    echo "needs about 12 GB free under bench/data (has ${free} GB)" >&2
    exit 1
fi

python3 - "$data" <<'PY'
import sys, zipfile
data = sys.argv[1]
def book(path, parts):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, pieces in parts:
            with z.open(name, "w", force_zip64=True) as f:
                for piece in pieces:
                    f.write(piece)
def repeat(block, times):
    for _ in range(times):
        yield block
chunk = b"a" * (1 << 20)
book(f"{data}/token.xlsx", [("xl/worksheets/sheet1.xml",
     [b'<worksheet><sheetData><row><c r="A1" x="', *repeat(chunk, 2048), b'"/></row></sheetData></worksheet>'])])
empties = b"<si/>" * 200_000
book(f"{data}/empties.xlsx", [
    ("xl/sharedStrings.xml", [b"<sst><si><t>s1</t></si><si><t>ACGT</t></si>", *repeat(empties, 500), b"</sst>"]),
    ("xl/worksheets/sheet1.xml", [b'<worksheet><sheetData><row><c r="A1" t="s"><v>0</v></c>'
                                  b'<c r="B1" t="s"><v>1</v></c></row></sheetData></worksheet>'])])
PY
{ printf 's1\t\xc3\xa9'; head -c 2200000000 /dev/zero | tr '\0' 'A'; printf '\ns2\tACGT\n'; } > "$data/wide.tsv"
{ "$build/bench/make_table" 3000000 1000 tab; printf 's\xc3\xa9\tACGT\n'; } > "$data/ascii3g.tsv"

run() { # label expected-status command...
    local label=$1 expected=$2
    shift 2
    local status=0
    /usr/bin/time -f "%e s %M KB" -o "$data/time" "$@" > "$data/out" 2> "$data/err" || status=$?
    printf '%-44s status %s (expected %s), %s, %s bytes out\n' "$label" "$status" "$expected" \
        "$(cat "$data/time")" "$(stat -c %s "$data/out")"
    [ "$status" = "$expected" ] || { echo "  unexpected: $(head -c 300 "$data/err")"; return 1; }
}
echo "inputs: token.xlsx $(stat -c %s "$data/token.xlsx") B, empties.xlsx $(stat -c %s "$data/empties.xlsx") B"
run "2 GiB attribute" 1 "$convert" "$data/token.xlsx"
head -c 200 "$data/err"; echo
run "100 million empty shared strings" 0 "$convert" "$data/empties.xlsx"
run "2.2 GB non-ASCII sequence" 0 "$convert" "$data/wide.tsv"
run "2.2 GB non-ASCII sequence, --trace" 0 "$convert" --trace "$data/wide.tsv"
grep -a "FASTA output length" "$data/err"
run "3 GB table, one non-ASCII byte, --trace" 0 "$convert" --trace "$data/ascii3g.tsv"
grep -a "FASTA output length" "$data/err"
