#!/bin/bash
# The window's batch against the command line on the same documents: 100
# generated 10k-word documents, marks ".?!", add mode, one job, offscreen.
#
#   bench/run_window_bench.sh [--docs N] [--repeat R]    (default 100 documents, 3 runs)
set -euo pipefail

bench_dir=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$bench_dir")
shared_dir=$source_dir/../shared/bench
build_dir=${BUILD_DIR:-$source_dir/build-bench}
cache_dir=${BENCH_CACHE:-/tmp/pellucor-bench-cli}
docs=100
repeat=3
while [ $# -gt 0 ]; do
    case $1 in
    --docs) docs=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    *) echo "usage: $0 [--docs N] [--repeat R]" >&2; exit 2 ;;
    esac
done

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPELLUCOR_TESTS=OFF >/dev/null
fi
ninja -C "$build_dir" -j2 pellucor-cli pellucor-bench-window >/dev/null

source "$bench_dir/generated_docs.sh"
generated_docs "$shared_dir" "$cache_dir" "$docs"

work=$(mktemp -d /tmp/pellucor-window-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
window_runs=()
cli_runs=()
for _ in $(seq 1 "$repeat"); do
    rm -rf "$work/out" && mkdir "$work/out"
    window_runs+=("$("$build_dir/bench/pellucor-bench-window" "$work/out" "${documents[@]}")")
    rm -rf "$work/out" && mkdir "$work/out"
    start=$(date +%s%N)
    "$build_dir/tools/cli/pellucor-cli" --add --marks '.?!' --out "$work/out" --jobs 1 --yes \
        "${documents[@]}" >/dev/null
    cli_runs+=("$(( ($(date +%s%N) - start) / 1000000 ))")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
window=$(median "${window_runs[@]}")
cli=$(median "${cli_runs[@]}")
echo "Command: bench/run_window_bench.sh --docs $docs --repeat $repeat (load average $(cut -d' ' -f1-3 /proc/loadavg))"
echo
echo "| run | median ms | documents/s | ratio to the command line |"
echo "|---|---:|---:|---:|"
awk -v w="$window" -v c="$cli" -v n="$docs" 'BEGIN {
    printf "| window, offscreen | %d | %.1f | %.2f |\n", w, n * 1000 / w, w / c
    printf "| pellucor-cli --jobs 1 | %d | %.1f | 1.00 |\n", c, n * 1000 / c
}'
