#!/usr/bin/env bash
# The folder walk against find on the same tree, warm, in one run. The walk does not enter
# hidden folders, so find is timed twice: over everything, and with hidden folders pruned
# (the same folders the walk reads).
#   bench/walk.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
json=$(mktemp)
hyperfine -N --warmup 2 --runs 11 --export-json "$json" \
    "$build/bench/bench_walk $tree" \
    "find $tree -xdev -printf %s\\n" \
    "find $tree -xdev -name .?* -prune -o -printf %s\\n"
if command -v python3 >/dev/null; then
    python3 - "$json" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"median {r['median']*1000:8.1f} ms  {r['command']}")
PY
fi
rm -f "$json"
"$build/bench/bench_walk" "$tree"
