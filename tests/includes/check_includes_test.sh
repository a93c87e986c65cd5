#!/usr/bin/env bash
# Plants includes of libraries not linked in a copy of the tree and expects the
# include check to name each of them, and nothing else.
#   check_includes_test.sh SOURCE_DIR
set -euo pipefail
work=$(mktemp -d /tmp/pellucor-includes-XXXXXX)
trap 'rm -rf "$work"' EXIT
git -C "$1" ls-files -z --cached --others --exclude-standard | (cd "$1" && xargs -0 cp --parents -t "$work")
plant() { sed -i "1a #include \"$2\"" "$work/$1"; }
plant folders/FolderWalk.cpp word/Document.h # a library of the engine, not linked
plant filelist/Drop.cpp Messages.h           # a header of core, found in its own root
plant platform/base/Error.h services/MainWindow.h # a header, not a source, of base
status=0
"$work/scripts/check_includes.py" "$work/build" >"$work/out" 2>&1 || status=$?
expected="check_includes: headers of libraries not linked:
  filelist/Drop.cpp: \"Messages.h\" belongs to pellucor_core, which pellucor_filelist does not link
  folders/FolderWalk.cpp: \"word/Document.h\" belongs to pellucor_word, which pellucor_folders does not link
  platform/base/Error.h: \"services/MainWindow.h\" belongs to pellucor_services, which pellucor_base does not link"
if [ "$status" != 1 ] || [ "$(cat "$work/out")" != "$expected" ]; then
  echo "include check: status $status, expected 1; it said:" >&2
  cat "$work/out" >&2
  exit 1
fi
