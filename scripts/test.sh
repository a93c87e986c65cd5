#!/usr/bin/env bash
# Sets up, builds (Debug, warnings as errors) and runs every test.
#   SANITIZE=1 scripts/test.sh   runs them under ASan and UBSan
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build-test}
export BUILD_TYPE=${BUILD_TYPE:-Debug}
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
