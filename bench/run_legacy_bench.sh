#!/bin/bash
# Cost per document and mark of every format that goes through LibreOffice
# (converted on open and on save), beside the .docx and the plain text of the
# same words, which the engine reads natively. Each LibreOffice format is
# measured twice: with one LibreOffice process per conversion
# (PELLUCOR_CONVERTER=process) and with the LibreOffice the program shares
# between its engine instances. The first table runs pellucor-wordwalk, one
# program per document and mark, so the shared LibreOffice starts in every
# run; the second runs pellucor-cli over a batch of four copies and three
# marks in one program, where it starts once for all of them.
#
#   bench/run_legacy_bench.sh [--repeat R] [--sizes "1k 10k"]
#
# R runs each (default 3), the median is shown. BUILD_DIR (default
# <source>/build-legacy-bench, a Release tree) can be overridden.
set -euo pipefail

bench_dir=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$bench_dir")
shared_dir=$source_dir/../shared/bench
build_dir=${BUILD_DIR:-$source_dir/build-legacy-bench}
repeat=3
sizes="1k 10k"
# extension:LibreOffice export filter; the input of each is the generated .docx.
formats=("doc:MS Word 97" "rtf:Rich Text Format" "odt:writer8" "fodt:OpenDocument Text Flat XML"
    "xml:MS Word 2003 XML" "html:HTML (StarWriter)")

fail() {
    echo "run_legacy_bench: $*" >&2
    exit 1
}

while [ $# -gt 0 ]; do
    case $1 in
    --repeat) repeat=${2:?--repeat needs a number}; shift 2 ;;
    --sizes) sizes=${2:?--sizes needs a list}; shift 2 ;;
    *) fail "unknown argument $1 (usage: $0 [--repeat R] [--sizes \"1k 10k\"])" ;;
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

convert() { # input target-filter
    soffice --headless --norestore "-env:UserInstallation=file://$work/profile" \
        --convert-to "$2" --outdir "$work" "$1" >/dev/null 2>&1
}

# The documents: generated .docx files, the plain text of their words (one
# line a paragraph) and what LibreOffice makes of them in every format.
for size in $sizes; do
    python3 "$shared_dir/gen_docx.py" --words "$size" --seed 1 -o "$work/doc-$size.docx" 2>/dev/null
    convert "$work/doc-$size.docx" 'txt:Text (encoded):UTF8'
    for format in "${formats[@]}"; do
        convert "$work/doc-$size.docx" "$format"
        [ -s "$work/doc-$size.${format%%:*}" ] || fail "LibreOffice could not make doc-$size.${format%%:*}"
    done
done

median() {
    sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

# Median wall time in milliseconds of R walks of one document, with the
# converter mode given (process or shared).
walk_ms() {
    local input=$1 mode=$2
    for _ in $(seq 1 "$repeat"); do
        local start end
        start=$(date +%s%N)
        PELLUCOR_CONVERTER=$mode "$walk" --add "$input" "$work/out.${input##*.}" >/dev/null
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
    done | median
}

# Median wall time in milliseconds per document and mark of R batch runs over
# four copies of one document with the marks ".?!".
batch_ms() {
    local input=$1 mode=$2 copies=()
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
        echo $(((end - start) / 1000000))
    done | median | awk '{printf "%.1f", $1 / 12}'
}

table() { # title measure sizes
    local measure=$2
    echo "| $1 | words | one LibreOffice per conversion (ms) | shared LibreOffice (ms) |"
    echo "|---|---|---:|---:|"
    for size in $3; do
        echo "| .docx (native) | $size | $($measure "$work/doc-$size.docx" shared) | |"
        echo "| plain text (native) | $size | $($measure "$work/doc-$size.txt" shared) | |"
        for format in "${formats[@]}"; do
            local input=$work/doc-$size.${format%%:*}
            echo "| .${format%%:*} | $size | $($measure "$input" process) | $($measure "$input" shared) |"
        done
    done
    echo
}

table "pellucor-wordwalk, one program per document and mark" walk_ms "$sizes"
# A batch of the smallest size shows what the shared LibreOffice saves; the
# larger ones only add conversion time.
table "pellucor-cli --jobs 1, 4 copies x 3 marks, per document and mark" batch_ms "${sizes%% *}"
echo "Per document and mark: open (convert to .docx), walk every word, save (convert back)."
echo "Command: $0 --repeat $repeat --sizes \"$sizes\" ($(nproc) cores, $(soffice --version 2>/dev/null | head -1))"
