#!/bin/bash
# Builds the fuzzers and runs each over its seed corpus, all within SECONDS:
# half for the document engine, a quarter each for the zip directory reader
# and the deflate walker.
#   tests/fuzz/run_fuzz.sh [SECONDS]      (default 60; BUILD_DIR overrides the build folder)
# Exits non-zero when a fuzzer found a crash, a leak, a hang or an input that
# takes more memory than the limit; the inputs are kept and their paths printed.
# A run of up to a minute (CI's) stops at its first finding; a longer one goes
# on after each, in a forked child, and keeps every finding.
set -euo pipefail

seconds="${1:-60}"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="${BUILD_DIR:-$source_dir/build-fuzz}"
corpus_dir="${PELLUCOR_CORPUS_DIR:-$source_dir/../shared/corpus}"
generator="$source_dir/../shared/bench/gen_docx.py"
findings="$build_dir/fuzz-findings"
# Every input must keep within this, the engine's memory budget included.
memory_mb=2048

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    -DPELLUCOR_FUZZ=ON -DPELLUCOR_TESTS=ON -DPELLUCOR_BENCH=OFF >/dev/null
ninja -C "$build_dir" -j2 fuzz_engine fuzz_zip fuzz_deflate

work="$(mktemp -d "${TMPDIR:-/tmp}/pellucor-fuzz-run-XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{engine,zip,deflate}-{seeds,found} "$findings"
find "$corpus_dir" -maxdepth 1 -type f -size -200k \
    \( -iname '*.docx' -o -iname '*.docm' -o -iname '*.dotx' -o -iname '*.dotm' \) \
    -exec cp -t "$work/engine-seeds" {} +
for seed in 1 2 3; do
    python3 "$generator" --words 300 --seed "$seed" -o "$work/engine-seeds/generated-$seed.docx"
done
python3 "$source_dir/tests/fuzz/make_seeds.py" "$work/engine-seeds" "$work/zip-seeds" \
    "$work/deflate-seeds"

engine_seconds=$((seconds / 2 > 0 ? seconds / 2 : 1))
zip_seconds=$(((seconds - engine_seconds) / 2 > 0 ? (seconds - engine_seconds) / 2 : 1))
deflate_seconds=$((seconds - engine_seconds - zip_seconds > 0 ? seconds - engine_seconds - zip_seconds : 1))

# Findings do not end a long run: its share of time goes on fuzzing.
go_on=()
if [ "$seconds" -gt 60 ]; then
    go_on=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
fi

findings_kept() { find "$findings" -maxdepth 1 -type f | wc -l; }

failed=0
# run_target NAME SECONDS [OPTIONS...]
run_target() {
    local name="$1" time="$2"
    shift 2
    echo "$name: $(ls "$work/$name-seeds" | wc -l) seeds, $time seconds"
    local before status=0
    before="$(findings_kept)"
    UBSAN_OPTIONS=print_stacktrace=1 "$build_dir/tests/fuzz/fuzz_$name" \
        -max_total_time="$time" -rss_limit_mb="$memory_mb" -malloc_limit_mb="$memory_mb" \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/$name-" "${go_on[@]}" "$@" \
        "$work/$name-found" "$work/$name-seeds" >"$work/$name.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || [ "$(findings_kept)" -ne "$before" ]; then
        tail -n 40 "$work/$name.log" >&2
        local found
        found="$(($(findings_kept) - before))"
        echo "fuzz_$name found $found problem(s) (exit status $status). Inputs kept:" >&2
        find "$findings" -maxdepth 1 -type f -printf '%T@ %p\n' | sort -rn |
            head -n "$((found > 0 ? found : 5))" | cut -d' ' -f2- | sed 's|^|  |' >&2
        echo "Reproduce: $build_dir/tests/fuzz/fuzz_$name FILE" >&2
        failed=1
        return
    fi
    grep -E '^stat::number_of_executed_units' "$work/$name.log" | sed "s/^/$name: /" || true
    echo "fuzz_$name: no finding in $time seconds"
}

run_target engine "$engine_seconds" -dict="$source_dir/tests/fuzz/engine.dict"
run_target zip "$zip_seconds" -dict="$source_dir/tests/fuzz/zip.dict"
run_target deflate "$deflate_seconds"
exit "$failed"
