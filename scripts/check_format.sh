#!/usr/bin/env bash
# Fails when a C or C++ file of the tree differs from what clang-format makes
# of it with the project's .clang-format; lists the files that do.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/pellucor-format.$$; then
  echo "check_format: these files need clang-format -i:" >&2
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/pellucor-format.$$ | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
  rm -f /tmp/pellucor-format.$$
  exit 1
fi
rm -f /tmp/pellucor-format.$$
echo "check_format: ${#files[@]} files as clang-format makes them"
