#!/usr/bin/env bash
# The content report against jdupes on the same tree, in one run: the peak memory of the
# content report beside the name report's and jdupes' (these runs also warm the cache), then
# both timed warm, then (as root, unless COLD=0) once each from a cold cache.
# The same rules for both: one file system (-1), no hidden files (-A), no links followed, hard
# links never copies of each other, empty files left out. jdupes reads the holes of sparse
# files; the report does not. Last, what a deletion of the duplicates pays for checking the
# copy it keeps of each group (bench_kept_copy), warm and (as root) cold.
#   bench/content.sh [BUILD_DIR] [FILES]        (RUNS, WARMUP, COLD to change the runs)
set -euo pipefail
build=${1:-build}
files=${2:-200000}
tree=${TREE:-/tmp/roomkin-bench-$files}
[ -d "$tree" ] || "$build/bench/gentree" "$tree" "$files"
rk="$build/src/roomkin"
content="$rk --report duplicates --content --min-kb 0 --drive $tree"
jd="jdupes -r -1 -A -q $tree"
# Peak memory, and what each lists (files in groups, and groups).
out=$(mktemp -d)
peak_kb() {
    local name=$1
    shift
    { "$build/bench/peak" "$@" 2>&1 >"$out/$name" || true; } | sed -n 's/.*peak_kb \([0-9]*\).*/\1/p'
}
names=$(peak_kb names "$rk" --report duplicates --min-kb 0 --drive "$tree")
echo "peak: content $(peak_kb content $content) KB, names $names KB, jdupes $(peak_kb jdupes $jd) KB"
# The report puts an empty line between groups, jdupes one after each.
count() { echo "$(grep -ac . "$out/$1") files in $(( $(grep -ac '^$' "$out/$1") + $2 )) groups"; }
echo "listed: content $(count content 1), jdupes $(count jdupes 0)"
rm -rf "$out"
hyperfine -i --warmup ${WARMUP:-1} --runs ${RUNS:-5} "$content >/dev/null" "$jd >/dev/null"
if [ "$(id -u)" = 0 ] && [ "${COLD:-1}" != 0 ]; then
    for cmd in "$content" "$jd"; do
        sync
        echo 3 >/proc/sys/vm/drop_caches
        s=$(date +%s.%N)
        $cmd >/dev/null || true
        echo "cold: $(echo "$(date +%s.%N) - $s" | bc) s  $cmd"
    done
fi
"$build/bench/bench_kept_copy" "$tree"
if [ "$(id -u)" = 0 ] && [ "${COLD:-1}" != 0 ]; then
    "$build/bench/bench_kept_copy" "$tree" cold
fi
