#!/bin/sh
# Builds the engine benchmark driver and the command line (Release) and times
# them against the floor and each other.
#
#   bench/run_engine_bench.sh [--gnu-time] [--repeat R] [--track-changes] [SIZES...]
#                                                         (default sizes 1k 10k 100k 1m)
#
# BUILD_DIR (default <source>/build-bench) and BENCH_CACHE (default
# /tmp/pellucor-bench, where generated documents are kept) can be overridden.
set -eu

bench_dir=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$bench_dir")
build_dir=${BUILD_DIR:-$source_dir/build-bench}
cache_dir=${BENCH_CACHE:-/tmp/pellucor-bench}

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPELLUCOR_TESTS=OFF -DPELLUCOR_BENCH=ON >/dev/null
fi
if ! grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build_dir/CMakeCache.txt"; then
    echo "run_engine_bench: $build_dir is not a Release build; timings would mislead" >&2
    exit 1
fi
ninja -C "$build_dir" -j2 pellucor-bench-engine pellucor-cli >/dev/null

exec python3 "$bench_dir/run_engine_bench.py" --engine "$build_dir/bench/pellucor-bench-engine" \
    --cli "$build_dir/tools/cli/pellucor-cli" \
    --cache "$cache_dir" --invocation "$0 $*" "$@"
