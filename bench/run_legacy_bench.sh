#!/bin/bash
# Cost per document and mark of every format that goes through LibreOffice
# (converted on open and on save), beside the .docx and the plain text of the
# same words, which the engine reads natively. Each LibreOffice format is
# measured twice: with one LibreOffice process per conversion
# (PELLUCOR_CONVERTER=process) and with the LibreOffice the program shares
# between its engine instances. The first table runs pellucor-wordwalk, one
# program per document and mark, so the shared LibreOffice starts in every
# run; the second runs pellucor-cli over a batch of four copies and three
# marks in one program, where it starts once for all of them. The last table
# takes the first 40 .doc, .rtf and .odt files of the shared corpus and runs
# pellucor-cli over them (marks ".?!", --jobs 1 and 2) against LibreOffice's
# own one-way conversion of the same files to .docx in one process, and the
# window over them, with the longest time it went without handling events;
# the same for six generated .doc reports of 300 to 600 kB with floating
# pictures and embedded formulas (bench/make_heavy_legacy.py).
#
#   bench/run_legacy_bench.sh [--repeat R] [--sizes "1k 10k"] [--corpus-only | --heavy-only]
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
corpus_only=0
heavy_only=0
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
    --corpus-only) corpus_only=1; shift ;;
    --heavy-only) heavy_only=1; shift ;;
    *) fail "unknown argument $1 (usage: $0 [--repeat R] [--sizes \"1k 10k\"] [--corpus-only | --heavy-only])" ;;
    esac
done
command -v soffice >/dev/null || fail "LibreOffice is not installed (package libreoffice-writer-nogui)"

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPELLUCOR_TESTS=OFF -DPELLUCOR_BENCH=ON >/dev/null
ninja -C "$build_dir" -j2 pellucor-wordwalk pellucor-cli pellucor-bench-window >/dev/null
walk=$build_dir/tools/pellucor-wordwalk
cli=$build_dir/tools/cli/pellucor-cli
window=$build_dir/bench/pellucor-bench-window

work=$(mktemp -d /tmp/pellucor-legacy-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

convert() { # input target-filter
    soffice --headless --norestore "-env:UserInstallation=file://$work/profile" \
        --convert-to "$2" --outdir "$work" "$1" >/dev/null 2>&1
}

median() {
    sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

# Milliseconds the command takes.
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true # some corpus documents fail on purpose, in both
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

# Large .doc reports with floating pictures and embedded formulas, where
# LibreOffice's loads cost most: made from generated flat ODT.
heavy_documents() {
    local k
    for k in 1 2 3 4 5 6; do
        python3 "$bench_dir/make_heavy_legacy.py" "$work/heavy-$k.fodt" --seed "$k" \
            --paragraphs $((250 + 60 * k)) --pictures $((6 + 2 * k)) --formulas $((2 + k))
        convert "$work/heavy-$k.fodt" "doc:MS Word 97"
        [ -s "$work/heavy-$k.doc" ] || fail "LibreOffice could not make heavy-$k.doc"
        echo "$work/heavy-$k.doc"
    done
}

corpus_files() {
    local corpus=$source_dir/../shared/corpus
    awk -F'\t' 'NR > 1 {print $1}' "$corpus/MANIFEST.tsv" | grep -iE '\.(doc|rtf|odt)$' |
        head -40 | sed "s#^#$corpus/#"
}

compare_table() { # title files...
    local title=$1 files=("${@:2}") ms gap
    local one=() two=() office=() shown=() gaps=()
    for _ in $(seq 1 "$repeat"); do
        rm -rf "$work/c" && mkdir -p "$work/c/1" "$work/c/2" "$work/c/lo" "$work/c/w"
        one+=("$(time_ms "$cli" --add --marks '.?!' --jobs 1 --yes --out "$work/c/1" "${files[@]}")")
        two+=("$(time_ms "$cli" --add --marks '.?!' --jobs 2 --yes --out "$work/c/2" "${files[@]}")")
        office+=("$(time_ms soffice --headless --norestore "-env:UserInstallation=file://$work/c/profile" \
            --convert-to docx --outdir "$work/c/lo" "${files[@]}")")
        read -r ms gap < <("$window" --gaps "$work/c/w" "${files[@]}" 2>/dev/null)
        shown+=("$ms")
        gaps+=("$gap")
    done
    local m1 m2 mo mw mg
    m1=$(printf '%s\n' "${one[@]}" | median)
    m2=$(printf '%s\n' "${two[@]}" | median)
    mo=$(printf '%s\n' "${office[@]}" | median)
    mw=$(printf '%s\n' "${shown[@]}" | median)
    mg=$(printf '%s\n' "${gaps[@]}" | sort -n | tail -1)
    echo "| ${#files[@]} $title, marks \".?!\" | ms | ratio to LibreOffice's one-way batch |"
    echo "|---|---:|---:|"
    awk -v a="$m1" -v b="$m2" -v o="$mo" -v w="$mw" 'BEGIN {
        printf "| pellucor-cli --jobs 1 | %d | %.2f |\n", a, a / o
        printf "| pellucor-cli --jobs 2 | %d | %.2f |\n", b, b / o
        printf "| the window, offscreen | %d | %.2f |\n", w, w / o
        printf "| soffice --headless --convert-to docx (one process, to .docx only) | %d | 1.00 |\n", o
    }'
    echo
    echo "Longest time the window went without handling its events: $mg ms (worst of $repeat runs)."
    echo
}

corpus_table() {
    local files ms gap
    mapfile -t files < <(corpus_files)
    compare_table "corpus documents (.doc, .rtf, .odt)" "${files[@]}"
    python3 "$shared_dir/gen_docx.py" --words 300k --seed 1 -o "$work/big.docx" >/dev/null 2>&1
    convert "$work/big.docx" "rtf:Rich Text Format"
    read -r ms gap < <("$window" --gaps "$work/c/w" "$work/big.rtf" 2>/dev/null)
    echo "One RTF of 300k words ($(($(stat -c %s "$work/big.rtf") / 1000)) kB): $ms ms in the window," \
        "longest time without handling its events $gap ms."
    echo
}

heavy_table() {
    local files
    mapfile -t files < <(heavy_documents)
    echo "Heavy documents: $(du -ch "${files[@]}" | tail -1 | cut -f1) in all."
    compare_table "generated .doc reports with floating pictures and formulas" "${files[@]}"
}

if [ "$heavy_only" = 1 ]; then
    heavy_table
    echo "Command: $0 --repeat $repeat --heavy-only ($(nproc) cores, $(soffice --version 2>/dev/null | head -1))"
    exit 0
fi

if [ "$corpus_only" = 1 ]; then
    corpus_table
    echo "Command: $0 --repeat $repeat --corpus-only ($(nproc) cores, $(soffice --version 2>/dev/null | head -1))"
    exit 0
fi

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
corpus_table
heavy_table
echo "Per document and mark: open (convert to .docx), walk every word, save (convert back)."
echo "Command: $0 --repeat $repeat --sizes \"$sizes\" ($(nproc) cores, $(soffice --version 2>/dev/null | head -1))"
