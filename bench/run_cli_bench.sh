#!/bin/bash
# Times pellucor-cli over a batch of generated documents against the floor,
# then one small document per process against the floor and --version against
# a bare C program, in the same run.
#
#   bench/run_cli_bench.sh [--docs N] [--repeat R] [--small-repeat S]
#                          (default 200 documents, 3 runs; 21 runs of the small ones)
#
# BUILD_DIR (default <source>/build-cli-bench) and BENCH_CACHE (default
# /tmp/pellucor-bench-cli, where the generated documents are kept) can be
# overridden.
set -euo pipefail

bench_dir=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$bench_dir")
shared_dir=$source_dir/../shared/bench
build_dir=${BUILD_DIR:-$source_dir/build-cli-bench}
cache_dir=${BENCH_CACHE:-/tmp/pellucor-bench-cli}
docs=200
repeat=3
small_repeat=21
marks='.?!'

fail() {
    echo "run_cli_bench: $*" >&2
    exit 1
}

while [ $# -gt 0 ]; do
    case $1 in
    --docs) docs=${2:?--docs needs a number}; shift 2 ;;
    --repeat) repeat=${2:?--repeat needs a number}; shift 2 ;;
    --small-repeat) small_repeat=${2:?--small-repeat needs a number}; shift 2 ;;
    *) fail "unknown argument $1 (usage: $0 [--docs N] [--repeat R] [--small-repeat S])" ;;
    esac
done

# A Release tree of its own, with only what the command line needs.
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPELLUCOR_TESTS=OFF -DPELLUCOR_BENCH=OFF >/dev/null
fi
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build_dir/CMakeCache.txt" ||
    fail "$build_dir is not a Release build; timings would mislead"
ninja -C "$build_dir" -j2 pellucor-cli >/dev/null
cli=$build_dir/tools/cli/pellucor-cli

work=$(mktemp -d /tmp/pellucor-cli-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
cc -O2 -o "$work/floor" "$shared_dir/floor.c" -lz
cc -O2 -o "$work/measure" "$bench_dir/measure_process.c"
printf '#include <stdio.h>\nint main(void) { puts("bare 1"); return 0; }\n' >"$work/bare.c"
cc -O2 -o "$work/bare" "$work/bare.c"

# The documents, generated once per version of the generator.
source "$bench_dir/generated_docs.sh"
generated_docs "$shared_dir" "$cache_dir" "$docs"

# Runs a command under measure_process in a fresh output folder $work/out;
# prints "wall_ms peak_kib".
measure() {
    rm -rf "$work/out" && mkdir "$work/out"
    "$work/measure" "$@" >"$work/stdout" 2>"$work/stderr" ||
        fail "$* failed:"$'\n'"$(head -5 "$work/stderr")"
    tail -1 "$work/stderr"
}

# The median of the numbers on standard input.
median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs a command $repeat times (or $runs when set); prints "median_wall_ms
# median_peak_kib".
timed() {
    : >"$work/runs"
    for _ in $(seq 1 "${runs:-$repeat}"); do
        measure "$@" >>"$work/runs"
    done
    echo "$(cut -d' ' -f1 "$work/runs" | median) $(cut -d' ' -f2 "$work/runs" | median)"
}

# The floor: one whole process per document and mark, each pass reading the
# previous pass's result, as the batch does with its output folder.
cat >"$work/floor.sh" <<'EOF'
floor=$1 out=$2 passes=$3
shift 3
for doc in "$@"; do
    result=$out/${doc##*/}
    "$floor" rezip "$doc" "$result"
    pass=1
    while [ "$pass" -lt "$passes" ]; do
        "$floor" rezip "$result" "$result"
        pass=$((pass + 1))
    done
done
EOF

cli_command=("$cli" --add --marks "$marks" --out "$work/out")
floor1=$(timed sh "$work/floor.sh" "$work/floor" "$work/out" 1 "${documents[@]}")
floor3=$(timed sh "$work/floor.sh" "$work/floor" "$work/out" 3 "${documents[@]}")
jobs1=$(timed "${cli_command[@]}" --jobs 1 "${documents[@]}")
grep -qx "$docs changed, 0 unchanged, 0 protected, 0 failed" "$work/stdout" ||
    fail "pellucor-cli --jobs 1 did not change every document: $(cat "$work/stdout")"
mv "$work/out" "$work/jobs1"
jobs2=$(timed "${cli_command[@]}" --jobs 2 "${documents[@]}")
for doc in "${documents[@]}"; do
    cmp -s "$work/jobs1/${doc##*/}" "$work/out/${doc##*/}" ||
        fail "--jobs 2 saved ${doc##*/} differently from --jobs 1"
done

read -r floor1_ms floor1_kib <<<"$floor1"
read -r floor3_ms floor3_kib <<<"$floor3"
read -r jobs1_ms jobs1_kib <<<"$jobs1"
read -r jobs2_ms jobs2_kib <<<"$jobs2"

row() { # label command wall_ms peak_kib
    awk -v label="$1" -v cmd="$2" -v ms="$3" -v kib="$4" -v docs="$docs" -v floor="$floor3_ms" \
        'BEGIN { printf "| %s | `%s` | %.1f | %.2f | %.1f | %.2fx |\n",
                 label, cmd, docs / (ms / 1000), ms / 1000, kib / 1024, ms / floor }'
}

echo "pellucor-cli, $docs documents of 10k words (gen_docx.py --seed 1..$docs), marks \"$marks\", add mode;"
echo "median of $repeat whole-process runs; load average $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores."
echo
echo "| Run | Command | Documents/s | Wall time (s) | Peak RSS (MiB) | vs floor, 3 passes |"
echo "|---|---|---:|---:|---:|---:|"
row "pellucor-cli, 1 job" "pellucor-cli --add --marks '$marks' --out DIR --jobs 1 DOCS" "$jobs1_ms" "$jobs1_kib"
row "pellucor-cli, 2 jobs" "pellucor-cli --add --marks '$marks' --out DIR --jobs 2 DOCS" "$jobs2_ms" "$jobs2_kib"
row "floor, 3 passes" "floor rezip, $((3 * docs)) processes" "$floor3_ms" "$floor3_kib"
row "floor, 1 pass" "floor rezip, $docs processes" "$floor1_ms" "$floor1_kib"

# One 1k-word document, one mark, as whole processes against the floor's one
# pass; --version against a bare C program that prints one line. Alternated,
# so that a change of load meets both sides alike.
small_doc=$cache_dir/doc-1k-1-$(sha256sum "$shared_dir/gen_docx.py" | cut -c1-10).docx
if [ ! -f "$small_doc" ]; then
    python3 "$shared_dir/gen_docx.py" --words 1k --seed 1 -o "$small_doc.partial" 2>/dev/null
    mv "$small_doc.partial" "$small_doc"
fi
: >"$work/small_cli" && : >"$work/small_floor" && : >"$work/version" && : >"$work/bare_runs"
for _ in $(seq 1 "$small_repeat"); do
    measure "$cli" --yes --marks . --out "$work/out" "$small_doc" >>"$work/small_cli"
    grep -qx "1 changed, 0 unchanged, 0 protected, 0 failed" "$work/stdout" ||
        fail "pellucor-cli did not change the 1k document: $(cat "$work/stdout")"
    measure "$work/floor" rezip "$small_doc" "$work/out/small.docx" >>"$work/small_floor"
    measure "$cli" --version >>"$work/version"
    measure "$work/bare" >>"$work/bare_runs"
done
ms_of() { cut -d' ' -f1 "$1" | median; }
kib_of() { cut -d' ' -f2 "$1" | median; }

small_row() { # label command runs-file reference-runs-file
    awk -v label="$1" -v cmd="$2" -v ms="$(ms_of "$3")" -v kib="$(kib_of "$3")" \
        -v ref="$(ms_of "$4")" \
        'BEGIN { printf "| %s | `%s` | %.2f | %.1f | %.2fx | %+.2f ms |\n",
                 label, cmd, ms, kib / 1024, ms / ref, ms - ref }'
}

echo
echo "One process each, median of $small_repeat alternated runs; the 1k document is gen_docx.py --words 1k --seed 1."
echo
echo "| Run | Command | Wall time (ms) | Peak RSS (MiB) | vs reference | difference |"
echo "|---|---|---:|---:|---:|---:|"
small_row "1k words, one mark" "pellucor-cli --yes --marks . --out DIR DOC" "$work/small_cli" "$work/small_floor"
small_row "floor, 1k words (reference)" "floor rezip DOC OUT" "$work/small_floor" "$work/small_floor"
small_row "--version" "pellucor-cli --version" "$work/version" "$work/bare_runs"
small_row "bare C program (reference)" "bare" "$work/bare_runs" "$work/bare_runs"
