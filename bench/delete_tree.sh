#!/bin/sh
# Builds and runs the folder-tree deletion benchmark: DeleteFolderTree against rm -rf on
# copies of one generated tree. Arguments: [folder to build the trees in] [number of files].
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target bench_delete_tree
exec build/bench/bench_delete_tree "${1:-/tmp}" "${2:-100000}"
