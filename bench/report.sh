#!/usr/bin/env bash
# The duplicate and file-hog reports against the find | sort pipelines a user would otherwise
# run, on the same tree, warm, in one run; then the peak memory of each report (alone with
# PEAK_ONLY=1).
#   bench/report.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
[ -n "${PEAK_ONLY:-}" ] || hyperfine --warmup 1 --runs ${RUNS:-5} \
    "$rk --report hogs --min-kb 0 --drive $tree >/dev/null" \
    "find $tree -xdev -type f -printf '%s\t%p\n' | sort -rn >/dev/null" \
    "$rk --report duplicates --min-kb 0 --drive $tree >/dev/null" \
    "find $tree -xdev -type f -printf '%f\n' | sort -f | uniq -di >/dev/null" \
    "$rk --report hogs --drive $tree >/dev/null" \
    "$rk --report duplicates --drive $tree >/dev/null" \
    "find $tree -xdev -type f -printf '%s\t%p\n' >/dev/null"
# Peak memory above the program's own start (a report over an empty folder), per line listed.
peak_kb() { { "$build/bench/peak" "$@" 2>&1 >/dev/null || true; } | sed -n 's/.*peak_kb \([0-9]*\).*/\1/p'; }
empty=$(mktemp -d)
start=$(peak_kb "$rk" --report hogs --drive "$empty")
rmdir "$empty"
for args in "hogs --min-kb 0" "duplicates --min-kb 0" "hogs" "duplicates"; do
    lines=$({ "$rk" --report $args --drive "$tree" || true; } | wc -l)
    peak=$(peak_kb "$rk" --report $args --drive "$tree")
    echo "report $args: $lines lines, peak $peak KB," \
        "$(( (peak - start) * 1024 / (lines > 0 ? lines : 1) )) bytes a line above the start ($start KB)"
done
