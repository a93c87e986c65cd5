#!/bin/bash
# Cost per document and mark of a .doc (converted by LibreOffice on open and
# on save) beside the .docx of the same text, with pellucor-wordwalk adding the
# space after ".". The .doc is measured twice: with one LibreOffice process per
# conversion (PELLUCOR_CONVERTER=process) and with the LibreOffice the program
# shares between its engine instances (started once per program run). The
# first table runs pellucor-wordwalk, one program per document and mark; the
# second pellucor-cli over a batch of four copies and three marks in one
# program, where the shared LibreOffice starts once for all of them.
#
#   bench/run_legacy_bench.sh [--repeat R]     (default 3 runs, the median is shown)
#
# BUILD_DIR (default <source>/build-legacy-bench, a Release tree) can be overridden.
set -euo pipefail

bench_dir=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$bench_dir")
shared_dir=$source_dir/../shared/bench
build_dir=${BUILD_DIR:-$source_dir/build-legacy-bench}
repeat=3

fail() {
    echo "run_legacy_bench: $*" >&2
    exit 1
}

while [ $# -gt 0 ]; do
    case $1 in
    --repeat) repeat=${2:?--repeat needs a number}; shift 2 ;;
    *) fail "unknown argument $1 (usage: $0 [--repeat R])" ;;
    esac
done
command -v soffice >/dev/null || fail "LibreOffice is not installed (package libreoffice-writer-nogui)"

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPELLUCOR_TESTS=OFF -DPELLUCOR_BENCH=OFF >/dev/null
fi
ninja -C "$build_dir" -j2 pellucor-wordwalk pellucor-cli >/dev/null
walk=$build_dir/tools/pellucor-wordwalk
cli=$build_dir/tools/cli/pellucor-cli

work=$(mktemp -d /tmp/pellucor-legacy-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# The documents: generated .docx files and the .doc LibreOffice makes of them.
for size in 1k 10k; do
    python3 "$shared_dir/gen_docx.py" --words "$size" --seed 1 -o "$work/doc-$size.docx" 2>/dev/null
    soffice --headless --norestore "-env:UserInstallation=file://$work/profile" \
        --convert-to 'doc:MS Word 97' --outdir "$work" "$work/doc-$size.docx" >/dev/null 2>&1
    [ -s "$work/doc-$size.doc" ] || fail "LibreOffice could not make doc-$size.doc"
done

# Median wall time in milliseconds of R walks of one document, with the
# converter mode given (process or shared).
median_ms() {
    local input=$1 mode=$2 times=()
    for _ in $(seq 1 "$repeat"); do
        local start end
        start=$(date +%s%N)
        PELLUCOR_CONVERTER=$mode "$walk" --add "$input" "$work/out.${input##*.}" >/dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN {printf "%.0f", (b > 0 ? a / b : 0)}'
}

echo "| document | words | .docx (ms) | .doc, one LibreOffice per conversion (ms) | ratio | .doc, shared LibreOffice (ms) | ratio |"
echo "|---|---|---|---|---|---|---|"
for size in 1k 10k; do
    docx=$(median_ms "$work/doc-$size.docx" shared)
    alone=$(median_ms "$work/doc-$size.doc" process)
    shared=$(median_ms "$work/doc-$size.doc" shared)
    echo "| generated, seed 1 | $size | $docx | $alone | $(ratio "$alone" "$docx")x |" \
        "$shared | $(ratio "$shared" "$docx")x |"
done

# Median wall time in milliseconds per document and mark of R batch runs over
# four copies of one document with the marks ".?!".
batch_ms() {
    local input=$1 mode=$2 times=() copies=()
    for k in 1 2 3 4; do
        cp "$input" "$work/copy-$k.${input##*.}"
        copies+=("$work/copy-$k.${input##*.}")
    done
    for _ in $(seq 1 "$repeat"); do
        rm -rf "$work/out" && mkdir "$work/out"
        local start end
        start=$(date +%s%N)
        PELLUCOR_CONVERTER=$mode "$cli" --add --marks '.?!' --jobs 1 --yes --out "$work/out" \
            "${copies[@]}" >/dev/null || fail "pellucor-cli failed on copies of $input"
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)] / 12}'
}

echo
echo "| batch of 4 copies x 3 marks, per document and mark | words | .docx (ms) | .doc, one LibreOffice per conversion (ms) | ratio | .doc, shared LibreOffice (ms) | ratio |"
echo "|---|---|---|---|---|---|---|"
for size in 1k 10k; do
    docx=$(batch_ms "$work/doc-$size.docx" shared)
    alone=$(batch_ms "$work/doc-$size.doc" process)
    shared=$(batch_ms "$work/doc-$size.doc" shared)
    echo "| pellucor-cli --jobs 1 | $size | $docx | $alone | $(ratio "$alone" "$docx")x |" \
        "$shared | $(ratio "$shared" "$docx")x |"
done
echo
echo "Per document and mark: open (convert to .docx), walk every word, save (convert back)."
echo "Command: $0 --repeat $repeat ($(nproc) cores, $(soffice --version 2>/dev/null | head -1))"
