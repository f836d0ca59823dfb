#!/usr/bin/env bash
# The browser's listing of a flat folder of 100,000 files against find | sort -f, warm, in one
# run: the listing report beside find, then the in-process times of the listing and of every
# sort, the grid's memory per row, and the browser window showing the folder.
#   bench/listing.sh [BUILD_DIR] [FILES]
set -euo pipefail
build=${1:-build}
files=${2:-100000}
dir=${DIR:-/tmp/roomkin-flat-$files}
[ -d "$dir" ] || "$build/bench/bench_listing" --make "$dir" "$files"
hyperfine -N --warmup 1 --runs ${RUNS:-5} --output=null \
    "$build/src/roomkin --report listing --folder $dir" \
    "sh -c \"find $dir -maxdepth 1 -type f -printf '%TD %TT %AD %s %f\\n' | sort -f\""
"$build/bench/bench_listing" "$dir"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_browse_window" "$dir"
