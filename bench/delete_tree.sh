#!/bin/sh
# Builds and runs the folder-tree deletion benchmarks, each against rm -rf in the same run:
#   delete_tree.sh [folder] [files]          a wide tree of files (default 100000)
#   delete_tree.sh deep [folder] [levels]    a chain of folders, time and peak memory (20000)
#   delete_tree.sh clash [folder] [files]    files of one name sent to the trash (6000)
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target bench_delete_tree peak
case "$1" in
deep | clash) exec build/bench/peak build/bench/bench_delete_tree "$1" "${2:-/tmp}" ${3:+"$3"} ;;
*) exec build/bench/bench_delete_tree "${1:-/tmp}" "${2:-100000}" ;;
esac
