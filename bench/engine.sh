#!/usr/bin/env bash
# The reports on the scan engine against the tools a user would otherwise run, on the same
# tree in one run: warm (file hogs against find | sort and the one-core floor; folder hogs and
# the statistics against du), then cold, the page cache dropped before each run as root
# (folder hogs against du and gdu). hyperfine prints each command's user and system time: the
# CPU the report costs beside the floor's.
#   bench/engine.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-1000000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
hyperfine --warmup 1 --runs ${RUNS:-5} \
    "$build/bench/floor $tree" \
    "$rk --report hogs --min-kb 0 --drive $tree >/dev/null" \
    "$rk --report hogs --min-kb 0 --threads 1 --drive $tree >/dev/null" \
    "find $tree -xdev -type f -printf '%s\t%p\n' | sort -rn >/dev/null" \
    "$rk --report folders --all --drive $tree >/dev/null" \
    "$rk --report statistics --drive $tree >/dev/null" \
    "du -x -s $tree >/dev/null"
if [ "$(id -u)" = 0 ]; then
    hyperfine --runs ${COLD_RUNS:-3} --prepare 'sh -c "sync; echo 3 > /proc/sys/vm/drop_caches"' \
        "$rk --report folders --all --drive $tree >/dev/null" \
        "du -x -s $tree >/dev/null" \
        "gdu -n -p $tree >/dev/null"
fi
