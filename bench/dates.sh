#!/usr/bin/env bash
# The dates report against find on the same tree, warm, in one run: a search that lists
# nothing beside find -newermt, one that lists every file beside find -printf with the same
# fields; then the report's peak memory for both (it must not grow with the list) and the
# window's figures (bench_dates_window) above a window that lists nothing.
#   bench/dates.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
tomorrow=$(date -d tomorrow +%F)
[ -n "${PEAK_ONLY:-}" ] || hyperfine --warmup 1 --runs ${RUNS:-5} \
    "$rk --report dates --what modified --when after --start $tomorrow --drive $tree >/dev/null || true" \
    "find $tree -xdev -name '.*' -prune -o -type f -newermt tomorrow -print >/dev/null" \
    "$rk --report dates --what modified --when before --start 2999-12-31 --drive $tree >/dev/null" \
    "find $tree -xdev -name '.*' -prune -o -type f -printf '%f\t%AD\t%TD\t%h\n' >/dev/null"
peak_kb() { { "$build/bench/peak" "$@" 2>&1 >/dev/null || true; } | sed -n 's/.*peak_kb \([0-9]*\).*/\1/p'; }
echo "report listing nothing: peak $(peak_kb "$rk" --report dates --when after --start "$tomorrow" --drive "$tree") KB"
echo "report listing every file: peak $(peak_kb "$rk" --report dates --what modified --when before --start 2999-12-31 --drive "$tree") KB"
export QT_QPA_PLATFORM=offscreen
base=$("$build/bench/bench_dates_window" "$tree" NONE | sed -n 's/.*peak_kb \([0-9]*\).*/\1/p')
line=$("$build/bench/bench_dates_window" "$tree")
echo "window: $line"
rows=$(sed -n 's/.*rows \([0-9]*\).*/\1/p' <<<"$line")
text=$(sed -n 's/.*record_bytes \([0-9]*\).*/\1/p' <<<"$line")
peak=$(sed -n 's/.*peak_kb \([0-9]*\).*/\1/p' <<<"$line")
echo "window rows: $(( ((peak - base) * 1024 - text) / (rows > 0 ? rows : 1) )) bytes a row above its record's text" \
    "(peak $peak KB, listing nothing $base KB, records $text bytes)"
