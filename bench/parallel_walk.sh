#!/usr/bin/env bash
# The parallel walk with N workers against the one-thread walk and du, on the same tree in one
# run: warm, then cold (the page cache dropped before each run, as root).
#   bench/parallel_walk.sh [BUILD_DIR] [FILES] [THREADS...]
set -euo pipefail
build=${1:-build}
files=${2:-1000000}
shift $(($# < 2 ? $# : 2))
threads=("${@:-2}")
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
commands=("$build/bench/bench_walk $tree" "du -x -s $tree")
for n in "${threads[@]}"; do commands+=("$build/bench/bench_walk --threads $n $tree"); done
hyperfine -N --warmup 1 --runs ${RUNS:-7} "${commands[@]}"
if [ "$(id -u)" = 0 ]; then
    hyperfine -N --runs ${COLD_RUNS:-3} --prepare 'sh -c "sync; echo 3 > /proc/sys/vm/drop_caches"' \
        "${commands[@]}"
fi
for c in "${commands[@]}"; do
    case $c in *bench_walk*) echo "$c: $($c)" ;; esac
done
