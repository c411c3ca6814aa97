#!/bin/bash
# Times one session import of the large benchmark table against pellacor-convert on the same file.
# Usage: bench/session_import.sh [build-dir]   (default build/release; needs hyperfine)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
data=bench/data
table=$data/200k.tsv
mkdir -p "$data"
[ -s "$table" ] || "$build/bench/make_table" 200000 1000 tab > "$table"

echo "== pellacor-convert"
hyperfine --warmup 2 --runs 9 --export-json "$data/session-convert.json" \
    "$build/cli/pellacor-convert $table > /dev/null" > /dev/null
python3 - "$data/session-convert.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
print(f"  median {r['median'] * 1000:.1f} ms, fastest {r['min'] * 1000:.1f} ms")
PY
echo "== session import"
"$build/bench/session_import" "$table" 9 > /dev/null
