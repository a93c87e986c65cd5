#!/usr/bin/env bash
# Configures and builds Pellucor into BUILD_DIR (default: build): the targets
# named as arguments, or everything without them.
#   BUILD_TYPE=Debug|Release|RelWithDebInfo   SANITIZE=1 adds ASan and UBSan
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
type=${BUILD_TYPE:-RelWithDebInfo}
sanitize=OFF
[ "${SANITIZE:-0}" = 1 ] && sanitize=ON
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DPELLUCOR_SANITIZE="$sanitize" >/dev/null
ninja -C "$build" "$@"
