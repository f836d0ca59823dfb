#!/usr/bin/env bash
# The viewer against the tools a user would otherwise run, on the same files, warm, in one
# run: going to the last line against wc -l, a search that finds nothing against grep -c -F
# (and -i), the strings report against strings -a -n 6; then opening a 64 GiB sparse file,
# a scroll step, and the peak memory of a scan to the end.
#   bench/viewer.sh [BUILD_DIR] [MIB]
set -euo pipefail
build=${1:-build}
mib=${2:-1024}
dir=${DIR:-/tmp/roomkin-viewer-bench}
mkdir -p "$dir"
text="$dir/text-$mib.txt"
if [ ! -f "$text" ]; then
    # Lines of varied length, mostly LF with some CR LF, as logs and sources are.
    python3 - "$text" "$mib" <<'PY'
import random, sys
random.seed(1)
words = [w.encode() for w in "alpha beta gamma delta epsilon zeta eta theta iota kappa".split()]
block = bytearray()
while len(block) < 1 << 20:
    line = b" ".join(random.choice(words) for _ in range(random.randint(0, 14)))
    block += line + (b"\r\n" if random.random() < 0.1 else b"\n")
with open(sys.argv[1], "wb") as f:
    for _ in range(int(sys.argv[2])):
        f.write(block)
PY
fi
sparse="$dir/sparse-64g"
[ -f "$sparse" ] || truncate -s 64G "$sparse"
bv="$build/bench/bench_viewer"
rk="$build/src/roomkin"
cat "$text" >/dev/null
hyperfine --warmup 1 --runs ${RUNS:-5} \
    "$bv last $text" "wc -l $text" \
    "$bv find $text zzzz" "LC_ALL=C grep -c -F zzzz $text || true" \
    "$bv find $text zzzz i" "LC_ALL=C grep -c -i -F zzzz $text || true" \
    "$rk --report strings $text >/dev/null" "strings -a -n 6 $text >/dev/null"
"$bv" open "$sparse"
"$bv" open "$text"
"$bv" scroll "$text"
"$build/bench/peak" "$bv" last "$text"
