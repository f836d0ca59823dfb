#!/usr/bin/env bash
# The content report on a real tree without sparse files (a copy of /usr with a second copy of
# /usr/share inside it: some 195,000 files, 9.6 GB, every file of share-copy a duplicate), warm,
# in one hyperfine run: the report with the default workers and with one, against jdupes and
# rdfind on the same tree. rdfind writes results.txt into the current folder: run from a
# scratch folder.
#   bench/content_usr.sh [BUILD_DIR]      (TREE, RUNS to change; the copy is made when missing)
#
# Figures (2-core machine shared with other builds, load about 3.5-3.9; 3 runs, warm):
#   workers by default      6.35 s  (user 1.90, system 4.66)
#   --threads 1             6.16 s  (user 1.78, system 4.26)
#   jdupes -r -q            5.54 s  (user 1.09, system 3.82)
#   rdfind -dryrun true     8.71 s  (user 3.23, system 4.59)
# so 1.15x jdupes and 0.73x rdfind: the workers hide no reading on a machine with no idle core,
# and the search is bound by system calls. perf: 71% of the time in the kernel, of it openat
# 21% (the path looked up from / for every open: __d_lookup_rcu, link_path_walk), pread 15%
# (copying from the page cache), statx 8% (the walk), close 5%, futex 4.5% (the hand-over
# after batching; 18% before, when the calling thread woke for every result). Most duplicate
# files are opened three times (first block, whole hash, byte check): opening them relative to
# their folder's descriptor, and reading files of at most 1 MiB once for both the whole hash
# and the byte check, are what is left to win.
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
