#!/usr/bin/env bash
# Builds the libFuzzer binaries with clang (address and undefined-behaviour checks on) and
# runs each fuzz target for a bounded time on a copy of its seeds. Run by hand:
#   fuzz/run.sh [SECONDS_EACH] [TARGET...]      (default 120 seconds, every target)
# Whatever a target finds is left as crash-*/leak-*/timeout-* in fuzz-out/<name>/; new
# inputs it found worth keeping are in fuzz-out/<name>/corpus (add a few to fuzz/corpus).
# Needs clang and libclang-rt-14-dev (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
shift || true
build=${BUILD:-build-fuzz}
out=${OUT:-fuzz-out}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DROOMKIN_FUZZ=ON -DROOMKIN_TESTS=OFF -DROOMKIN_BENCH=OFF >/dev/null
if [ $# -eq 0 ]; then
    set -- $(ls fuzz/fuzz_*.cpp | sed 's|fuzz/fuzz_||; s|\.cpp$||')
fi
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "$@")
# The targets read dates and numbers the way the tests do: English formats, UTC.
export LC_ALL=C LANG=C LANGUAGE= TZ=UTC QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
for name in "$@"; do
    dir="$out/$name"
    mkdir -p "$dir/corpus"
    cp -n fuzz/corpus/"$name"/* "$dir/corpus/" 2>/dev/null || true
    echo "== $name: $seconds s"
    if ! "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -artifact_prefix="$dir/" -print_final_stats=1 "$dir/corpus" 2>"$dir/log"; then
        echo "   found something: see $dir/log and $dir/crash-* (or leak-*, timeout-*)"
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$dir/log" | sed 's/^/   /'
done
exit $status
