#!/usr/bin/env bash
# Fails when a C or C++ file of the tree differs from what clang-format makes
# of it with the project's .clang-format; lists the files that do.
set -euo pipefail
cd "$(dirname "$0")/.."
files=()
while IFS= read -r file; do
  [ -f "$file" ] && files+=("$file")
done < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.c')
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
  echo "check_format: these files need clang-format -i:" >&2
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' "$report" | cut -d: -f1 | sort -u | sed 's/^/  /' >&2 ||
    cat "$report" >&2
  exit 1
fi
echo "check_format: ${#files[@]} files as clang-format makes them"
