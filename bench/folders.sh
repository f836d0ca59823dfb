#!/usr/bin/env bash
# The folder-hog reports against du (and ncdu where installed) on the same tree, warm, in one
# run; then the peak memory of each report and the number of folders it listed.
#   bench/folders.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-200000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
cmds=("$rk --report folders --all --drive $tree"
      "du -x $tree"
      "$rk --report folders --main --drive $tree"
      "du -x --max-depth=1 $tree")
command -v ncdu >/dev/null && cmds+=("ncdu -0 -o /dev/null -x $tree")
hyperfine -N --warmup 1 --runs ${RUNS:-5} --output=null "${cmds[@]}"
for kind in --all --main; do
    echo "folders $kind: $("$rk" --report folders $kind --drive "$tree" | wc -l) folders listed"
    "$build/bench/peak" "$rk" --report folders $kind --drive "$tree" >/dev/null
done
