#!/usr/bin/env bash
# The duplicate and file-hog reports against the find | sort pipelines a user would otherwise
# run, on the same tree, warm, in one run; then the peak memory of each report.
#   bench/report.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
hyperfine --warmup 1 --runs ${RUNS:-5} \
    "$rk --report hogs --min-kb 0 --drive $tree >/dev/null" \
    "find $tree -xdev -type f -printf '%s\t%p\n' | sort -rn >/dev/null" \
    "$rk --report duplicates --min-kb 0 --drive $tree >/dev/null" \
    "find $tree -xdev -type f -printf '%f\n' | sort -f | uniq -di >/dev/null" \
    "$rk --report hogs --drive $tree >/dev/null" \
    "$rk --report duplicates --drive $tree >/dev/null" \
    "find $tree -xdev -type f -printf '%s\t%p\n' >/dev/null"
for args in "hogs --min-kb 0" "duplicates --min-kb 0" "hogs" "duplicates"; do
    lines=$("$rk" --report $args --drive "$tree" | wc -l)
    echo "report $args: $lines lines"
    "$build/bench/peak" "$rk" --report $args --drive "$tree" >/dev/null
done
