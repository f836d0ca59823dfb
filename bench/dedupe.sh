#!/usr/bin/env bash
# Giving back the room of duplicates on Btrfs: `roomkin --dedupe share` against `jdupes -B`
# and `duperemove -d`, each on its own copy of the same loop image, in one run, each from a
# cold cache: the time, and the free space gained as df sees it after a sync.
# The image holds PAIRS pairs of SMALL_KB K and BIG pairs of BIG_KB K, every copy written out
# on its own (no shared extents to begin with), in folders of 500 files. Needs root,
# btrfs-progs, jdupes (built with fsdedup) and duperemove.
#   bench/dedupe.sh [BUILD_DIR]      (PAIRS, SMALL_KB, BIG, BIG_KB, WORK to change them)
set -euo pipefail
build=${1:-build}
pairs=${PAIRS:-10000}
small=${SMALL_KB:-64}
big=${BIG:-1000}
bigkb=${BIG_KB:-1024}
work=${WORK:-/tmp/roomkin-dedupe-bench}
rk=$(realpath "$build/src/roomkin")
[ "$(id -u)" = 0 ] || { echo "run as root: the images are mounted" >&2; exit 1; }
mkdir -p "$work/mnt"
data_kb=$(( 2 * (pairs * small + big * bigkb) ))
image_mb=$(( data_kb / 1024 * 3 / 2 + 512 ))
echo "$pairs pairs of $small K and $big pairs of $bigkb K: $(( data_kb / 1024 )) MB in a $image_mb MB image"
base=$work/base.img
if [ ! -f "$base" ]; then
    truncate -s "${image_mb}M" "$base"
    mkfs.btrfs -q -f "$base"
    mount -o loop "$base" "$work/mnt"
    # Each copy from the same random bytes, written by a write of its own (cp would clone).
    python3 - "$work/mnt" "$pairs" "$small" "$big" "$bigkb" <<'PY'
import os, sys
root, pairs, small, big, bigkb = sys.argv[1], *map(int, sys.argv[2:])
n = 0
def plant(size):
    global n
    data = os.urandom(size)
    for copy in ("a", "b"):
        folder = os.path.join(root, copy, str(n // 500))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "f%d.bin" % n), "wb") as f:
            f.write(data)
    n += 1
for _ in range(pairs): plant(small * 1024)
for _ in range(big): plant(bigkb * 1024)
PY
    sync
    umount "$work/mnt"
fi
run() {
    local name=$1
    shift
    cp --sparse=always "$base" "$work/$name.img"
    mount -o loop "$work/$name.img" "$work/mnt"
    sync
    echo 3 >/proc/sys/vm/drop_caches
    local before after start end
    before=$(df -B1 --output=avail "$work/mnt" | tail -1)
    start=$(date +%s.%N)
    "$@" >"$work/$name.out" 2>&1 || true
    end=$(date +%s.%N)
    sync
    sleep 2
    sync
    after=$(df -B1 --output=avail "$work/mnt" | tail -1)
    umount "$work/mnt"
    rm -f "$work/$name.img"
    printf '%-10s %8.1f s   %6d MB more free\n' "$name" "$(echo "$end - $start" | bc)" \
        $(( (after - before) >> 20 ))
}
run roomkin "$rk" --dedupe share --min-kb 0 --drive "$work/mnt"
run jdupes jdupes -r -1 -q -B "$work/mnt"
run duperemove duperemove -d -r -q "$work/mnt"
echo "predicted: $(( data_kb / 2 / 1024 )) MB"
