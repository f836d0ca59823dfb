#!/usr/bin/env bash
# The space map's scan against du -x -s (and ncdu and gdu where installed) on the same tree,
# warm, in one run; then the tree's memory per file, and each program's peak memory beside
# that of an empty folder.
#   bench/spacemap.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-1000000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
cmds=("$rk --report tree --depth 0 --drive $tree" "du -x -s $tree")
command -v ncdu >/dev/null && cmds+=("ncdu -0 -x -o /dev/null $tree")
command -v gdu >/dev/null && cmds+=("gdu -x -n -p -s $tree")
hyperfine -N --warmup 1 --runs ${RUNS:-5} --output=null "${cmds[@]}"
"$build/bench/bench_spacemap" "$tree"
peak_kb() { { "$build/bench/peak" "$@" 2>&1 >/dev/null || true; } | sed -n 's/.*peak_kb \([0-9]*\).*/\1/p'; }
empty=$(mktemp -d)
for run in "$rk --report tree --depth 0 --drive" "ncdu -0 -x -o /dev/null" "gdu -x -n -p -s"; do
    command -v ${run%% *} >/dev/null || continue
    full=$(peak_kb $run "$tree")
    none=$(peak_kb $run "$empty")
    echo "${run%% *}: peak $full KB, empty folder $none KB," \
        "$(( (full - none) * 1024 / files )) bytes per file"
done
rmdir "$empty"
