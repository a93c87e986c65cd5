#!/bin/bash
# A folder tree of 20,000 files in 2,000 folders dropped on the window's file
# list, offscreen: the time until the list is filled and the longest time
# between two passes of the event queue. Goals: under 2 s, no gap over 100 ms.
# With --ext the tree is added through "Add All Word File(s) In Folder" with
# that extension instead of dropped.
#
#   bench/run_drop_bench.sh [--repeat R] [--ext EXT]   (default 3 runs; the median is shown)
set -euo pipefail

bench_dir=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$bench_dir")
build_dir=${BUILD_DIR:-$source_dir/build-bench}
tree=${BENCH_TREE:-/tmp/pellucor-drop-bench-tree}
repeat=3
ext=()
while [ $# -gt 0 ]; do
    case $1 in
    --repeat) repeat=$2; shift 2 ;;
    --ext) ext=("$2"); shift 2 ;;
    *) echo "usage: $0 [--repeat R] [--ext EXT]" >&2; exit 2 ;;
    esac
done

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPELLUCOR_TESTS=OFF >/dev/null
fi
ninja -C "$build_dir" -j2 pellucor-bench-drop >/dev/null

# 40 folders of 49 subfolders each: 2,000 folders of 10 files, 20,000 files.
if [ ! -f "$tree/.complete" ]; then
    rm -rf "$tree"
    python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
for top in range(40):
    top_dir = os.path.join(root, f"Folder {top:02d}")
    for sub in [None] + list(range(49)):
        folder = top_dir if sub is None else os.path.join(top_dir, f"Part {sub:02d}")
        os.makedirs(folder)
        for n in range(10):
            open(os.path.join(folder, f"Document {n}.docx"), "wb").close()
open(os.path.join(root, ".complete"), "w").close()
PY
fi
folders=$(find "$tree" -mindepth 1 -type d | wc -l)
files=$(find "$tree" -type f -name '*.docx' | wc -l)

runs=()
for _ in $(seq 1 "$repeat"); do
    runs+=("$("$build_dir/bench/pellucor-bench-drop" "$tree" "${ext[@]}")")
done
# The value of one key=value field of each run's line.
field() {
    printf '%s\n' "${runs[@]}" |
        awk -v key="$1" '{ for (i = 1; i <= NF; ++i) { split($i, kv, "="); if (kv[1] == key) print kv[2] } }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "Command: bench/run_drop_bench.sh --repeat $repeat${ext:+ --ext $ext} (load average $(cut -d' ' -f1-3 /proc/loadavg))"
echo "Tree: $tree, $folders folders, $files files"
echo
echo "| rows | median ms to fill | worst ms | median longest gap ms | worst gap ms | event passes | ms of the pass after |"
echo "|---:|---:|---:|---:|---:|---:|---:|"
printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$(field rows | head -n 1)" \
    "$(field ms | median)" "$(field ms | sort -n | tail -n 1)" \
    "$(field longest_gap_ms | median)" "$(field longest_gap_ms | sort -n | tail -n 1)" \
    "$(field passes | median)" "$(field settle_ms | median)"
