#!/usr/bin/env bash
# Sets up, builds and starts Pellucor's window.
# Without a display ($DISPLAY and $WAYLAND_DISPLAY both unset), or while the
# window program is not built, it runs the batch from the command line on a
# few documents instead: it adds a space after every sentence-ending ".", "?"
# and "!" into a temporary folder, leaving the documents themselves untouched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build}
# Only what it starts: the window with the files beside it and the command line.
echo "start: building the window and the command line in $BUILD_DIR"
"$root/scripts/build.sh" pellucor pellucor-cli
window="$BUILD_DIR/bin/pellucor"
cli="$BUILD_DIR/tools/cli/pellucor-cli"

run_command_line_demo() {
  local work shared name
  work=$(mktemp -d /tmp/pellucor-demo-XXXXXX)
  shared="$root/../shared"
  if [ -f "$shared/bench/gen_docx.py" ]; then
    python3 "$shared/bench/gen_docx.py" --words 2k -o "$work/generated.docx" 2>/dev/null
  fi
  for name in docx4j__conventions.docx openxmlsdk__May_12_04.docx; do
    [ -f "$shared/corpus/$name" ] && cp "$shared/corpus/$name" "$work/" && chmod u+w "$work/$name"
  done
  mkdir -p "$work/out"
  "$cli" --add --marks '.?!' --out "$work/out" --yes "$work"/*.docx || true
  echo
  echo "The changed copies are in $work/out; the originals beside them are untouched."
  echo "See a document's words as the engine numbers them with:"
  echo "  $cli --words $work/out/$(ls "$work/out" | head -n 1)"
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "start: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the"
  echo "start: window cannot open; running the batch from the command line instead."
elif [ ! -x "$window" ]; then
  echo "start: the window program $window is not built yet;"
  echo "start: running the batch from the command line instead."
else
  "$window"
  exit
fi
echo
run_command_line_demo
