#!/bin/bash
# Whether the LibreOffice the program shares reads every legacy document of
# the shared corpus (.doc, .dot, .rtf, .odt) and the embedded equation of the
# shared cases (made into .doc, .rtf and .odt) as a LibreOffice process of its
# own does (PELLUCOR_CONVERTER=process): the words of each, placeholders of
# embedded objects included, as pellucor-cli --words prints them, or the
# error it tells. Prints each document that differs and a summary line.
#
#   bench/compare_converters.sh [pellucor-cli]
set -uo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
shared_dir=$source_dir/../shared
cli=${1:-$source_dir/build/tools/cli/pellucor-cli}
[ -x "$cli" ] || { echo "compare_converters: no pellucor-cli at $cli" >&2; exit 2; }
command -v soffice >/dev/null || { echo "compare_converters: LibreOffice is not installed" >&2; exit 2; }

work=$(mktemp -d /tmp/pellucor-compare-XXXXXX)
trap 'rm -rf "$work"' EXIT
for target in "doc:MS Word 97" "rtf:Rich Text Format" "odt:writer8"; do
    soffice --headless --norestore "-env:UserInstallation=file://$work/profile" \
        --convert-to "$target" --outdir "$work" "$shared_dir/cases/embedded-equation.fodt" \
        >/dev/null 2>&1
done

documents=("$work"/embedded-equation.*)
for file in "$shared_dir"/corpus/*; do
    case ${file,,} in *.doc | *.dot | *.rtf | *.odt) documents+=("$file") ;; esac
done

same=0 differ=0 objects_shared=0 objects_alone=0
for file in "${documents[@]}"; do
    shared=$("$cli" --words "$file" 2>&1 | sed "s#$work#WORK#g")
    alone=$(PELLUCOR_CONVERTER=process "$cli" --words "$file" 2>&1 | sed "s#$work#WORK#g")
    grep -q '^"\\u0001' <<<"$shared" && objects_shared=$((objects_shared + 1))
    grep -q '^"\\u0001' <<<"$alone" && objects_alone=$((objects_alone + 1))
    if [ "$shared" == "$alone" ]; then
        same=$((same + 1))
    else
        differ=$((differ + 1))
        echo "differs: ${file##*/}"
        diff <(echo "$alone") <(echo "$shared") | head -6
    fi
done
echo "$same of ${#documents[@]} documents read the same, $differ differ;" \
    "with embedded objects: $objects_shared shared, $objects_alone alone"
[ "$differ" -eq 0 ]
