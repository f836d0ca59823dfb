#!/usr/bin/env bash
# The content report on a real tree without sparse files (a copy of /usr with a second copy of
# /usr/share inside it: some 195,000 files, 9.6 GB, every file of share-copy a duplicate), warm,
# in one hyperfine run: the report with the default workers and with one, against jdupes and
# rdfind on the same tree. rdfind writes results.txt into the current folder: run from a
# scratch folder.
#   bench/content_usr.sh [BUILD_DIR]      (TREE, RUNS to change; the copy is made when missing)
#
# Figures (2-core machine shared with other builds; warm unless said):
#                           before (load 1.7-2.5, 1 run)    after (load 2.4-3.1, 3 runs)
#   workers by default      7.33 s (user 2.17, sys 4.85)    4.87 s (user 1.51, sys 3.29)
#   --threads 1             6.98 s (user 2.00, sys 4.61)    5.31 s (user 1.46, sys 3.19)
#   jdupes -r -q            5.43 s (user 1.14, sys 4.26)    5.71 s (user 1.26, sys 4.28)
#   rdfind -dryrun true     (73 s: the cache was emptied)   9.08 s (user 3.34, sys 4.91)
# so 0.85x jdupes and 0.54x rdfind with the machine busy; at load 1.0 (perf stat) the default
# run took 2.96-3.08 s with 1.68 CPUs used, about 0.55x jdupes. The same search on one core's
# worth (perf stat, the other cores taken): 7.26 s of CPU before, 5.69 s after; system calls
# openat 358,584 -> 206,782 (21,665 of them the walk's), pread 337,911 -> 185,655, fadvise
# 336,931 -> 8,293, futex 100,357 -> 45,712 (45,542 of them the walk's).
# Where the time went before: 71% in the kernel, openat 21% (the path looked up from / for
# every open), pread 15%, statx 8% (the walk), close 5%, futex 4.5%, with most duplicates opened
# three times (first block, whole hash, byte check). Now a file of at most 64 KiB (131,000 of
# the 181,000 files in size groups are at most 4 KiB, 46,000 more at most 64 KiB) is opened
# once, read whole, and compared from that reading; one of at most 1 MiB twice; a pair of large
# files is compared without hashing both whole first. What is left: openat 18% (of it the path
# walk 7%), pread 12-19% (copying from the page cache), statx 9% and getdents 3% (the walk),
# close 4%, futex 4% (the walk's hand-over), XXH3 3% (less since two files alone go unhashed).
# Opening files relative to a descriptor of their folder was weighed and left: the byte check
# reads files in the order of their groups, which hops between folders (an LRU of 256 folders
# would hit 47% of opens, one folder 23%), so the folder opens would cost about what the
# shorter look-ups save.
set -euo pipefail
build=${1:-build}
tree=${TREE:-/tmp/cp-usr}
rk="$(realpath "$build/src/roomkin")"
if [ ! -d "$tree" ]; then
    cp -a /usr "$tree"
    cp -a /usr/share "$tree/share-copy"
fi
cd "$(mktemp -d)"
hyperfine -i --warmup 1 --runs "${RUNS:-3}" \
    "$rk --report duplicates --content --min-kb 0 --drive $tree >/dev/null" \
    "$rk --report duplicates --content --min-kb 0 --threads 1 --drive $tree >/dev/null" \
    "jdupes -r -q $tree >/dev/null" \
    "rdfind -dryrun true $tree >/dev/null"
