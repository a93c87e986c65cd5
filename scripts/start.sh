#!/usr/bin/env bash
# Sets up, builds and starts Pellucor.
# Until the window is in place this shows the document engine at work on a
# few documents: it adds a space after every sentence-ending full stop in
# copies made in a temporary folder, and says what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" >/dev/null
walk="$BUILD_DIR/tools/pellucor-wordwalk"

work=$(mktemp -d /tmp/pellucor-demo-XXXXXX)
shared="$root/../shared"
if [ -f "$shared/bench/gen_docx.py" ]; then
  python3 "$shared/bench/gen_docx.py" --words 2k -o "$work/generated.docx" 2>/dev/null
fi
for name in docx4j__conventions.docx openxmlsdk__May_12_04.docx; do
  [ -f "$shared/corpus/$name" ] && cp "$shared/corpus/$name" "$work/" && chmod u+w "$work/$name"
done
mkdir -p "$work/out"
for doc in "$work"/*.docx; do
  "$walk" --mark . --add "$doc" "$work/out/$(basename "$doc")"
done
echo
echo "The changed copies are in $work/out; the originals beside them are untouched."
