#!/usr/bin/env bash
# The statistics report against du and find on the same tree, warm, in one run; then the
# window's run, its longest pause and how soon Cancel stops it; then the peak memory of both.
#   bench/stats.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
hyperfine --warmup 1 --runs ${RUNS:-5} \
    "$rk --report statistics --drive $tree >/dev/null" \
    "du -x -s $tree >/dev/null" \
    "find $tree -xdev -printf '%s %A@ %T@ %f\n' >/dev/null" \
    "CANCEL_AFTER=0 QT_QPA_PLATFORM=offscreen $build/bench/bench_stats_window $tree >/dev/null 2>&1"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_stats_window" "$tree" 2>/dev/null
peak_kb() { { "$build/bench/peak" "$@" 2>&1 >/dev/null || true; } | sed -n 's/.*peak_kb \([0-9]*\).*/\1/p'; }
empty=$(mktemp -d)
echo "report peak: $(peak_kb "$rk" --report statistics --drive "$tree") KB" \
    "(empty folder: $(peak_kb "$rk" --report statistics --drive "$empty") KB)"
rmdir "$empty"
