# Sourced by the batch benchmarks: fills the array `documents` with N
# generated 10k-word documents (seeds 1..N), made once per version of the
# shared generator and kept in CACHE.
#   generated_docs SHARED_BENCH_DIR CACHE N
generated_docs() {
    local shared=$1 cache=$2 count=$3 tag seed doc
    tag=$(sha256sum "$shared/gen_docx.py" | cut -c1-10)
    mkdir -p "$cache"
    documents=()
    for seed in $(seq 1 "$count"); do
        doc=$cache/doc-10k-$seed-$tag.docx
        if [ ! -f "$doc" ]; then
            python3 "$shared/gen_docx.py" --words 10k --seed "$seed" -o "$doc.partial" 2>/dev/null
            mv "$doc.partial" "$doc"
        fi
        documents+=("$doc")
    done
}
