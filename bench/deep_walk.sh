#!/usr/bin/env bash
# The walk of a chain of folders 20,000 deep (or LEVELS): its peak memory must stay small
# (under 50 MB), growing with the depth and not with its square, for the one-thread and the
# parallel walk. The tree is made once.
#   bench/deep_walk.sh [BUILD_DIR] [LEVELS]
set -euo pipefail
build=${1:-build}
levels=${2:-20000}
tree=${TREE:-/tmp/roomkin-deep-$levels}
"$build/bench/bench_walk" --deep "$levels" "$tree"
"$build/bench/bench_walk" --threads 2 --deep "$levels" "$tree"
