#!/bin/bash
# Builds the engine fuzzer and runs it over a seed corpus of real documents.
#   tests/fuzz/run_fuzz.sh [SECONDS]      (default 60; BUILD_DIR overrides the build folder)
# Exits non-zero when the fuzzer found a crash, a leak, a hang or an
# out-of-memory input; the input is kept and its path printed.
set -euo pipefail

seconds="${1:-60}"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="${BUILD_DIR:-$source_dir/build-fuzz}"
corpus_dir="${PELLUCOR_CORPUS_DIR:-$source_dir/../shared/corpus}"
generator="$source_dir/../shared/bench/gen_docx.py"
findings="$build_dir/fuzz-findings"

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    -DPELLUCOR_FUZZ=ON -DPELLUCOR_TESTS=ON -DPELLUCOR_BENCH=OFF >/dev/null
ninja -C "$build_dir" -j2 fuzz_engine

work="$(mktemp -d "${TMPDIR:-/tmp}/pellucor-fuzz-run-XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/found" "$findings"
find "$corpus_dir" -maxdepth 1 -type f -size -200k \
    \( -iname '*.docx' -o -iname '*.docm' -o -iname '*.dotx' -o -iname '*.dotm' \) \
    -exec cp -t "$work/seeds" {} +
for seed in 1 2 3; do
    python3 "$generator" --words 300 --seed "$seed" -o "$work/seeds/generated-$seed.docx"
done
echo "seed corpus: $(ls "$work/seeds" | wc -l) documents"

before="$(ls "$findings" | wc -l)"
status=0
UBSAN_OPTIONS=print_stacktrace=1 "$build_dir/tests/fuzz/fuzz_engine" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -dict="$source_dir/tests/fuzz/engine.dict" -artifact_prefix="$findings/" \
    "$work/found" "$work/seeds" || status=$?

if [ "$status" -ne 0 ] || [ "$(ls "$findings" | wc -l)" -ne "$before" ]; then
    echo "fuzz_engine found a problem (exit status $status). Inputs kept:" >&2
    ls -t "$findings" | head -n 5 | sed "s|^|  $findings/|" >&2
    echo "Reproduce: $build_dir/tests/fuzz/fuzz_engine FILE" >&2
    exit 1
fi
echo "fuzz_engine: no finding in $seconds seconds"
