#!/usr/bin/env bash
# Builds a Release tree in build-package/ (programs only, no tests, with
# Debian's hardening flags) and makes dist/pellucor_VERSION_ARCH.deb, then checks it
# with lintian (no errors allowed) and its desktop entry and AppStream file
# with their validators.
#   BUILD_DIR=...   another build folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-package}
dist=$root/dist
cd "$root"

"$root/scripts/setup.sh"
# Dated by the last commit, so two packages of the same commit agree.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS" CFLAGS="$CPPFLAGS $CFLAGS"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPELLUCOR_TESTS=OFF -DPELLUCOR_BENCH=OFF -DPELLUCOR_SANITIZE=OFF >/dev/null
ninja -C "$build"
rm -f "$build"/cpack/*.deb
(cd "$build" && cpack -G DEB -B "$build/cpack" >/dev/null)

shopt -s nullglob
made=("$build"/cpack/pellucor_*.deb)
if [ ${#made[@]} -ne 1 ]; then
  echo "package: cpack made ${#made[@]} packages in $build/cpack, expected one" >&2
  exit 1
fi
deb=${made[0]}

check=$(mktemp -d /tmp/pellucor-package-XXXXXX)
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
desktop-file-validate "$check"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$check"/usr/share/metainfo/*.metainfo.xml >/dev/null
if ! lintian --fail-on error "$deb"; then
  echo "package: lintian found errors in $deb; dist/ is left as it was" >&2
  exit 1
fi

mkdir -p "$dist"
target=$dist/$(basename "$deb")
cp "$deb" "$target.partial"
mv "$target.partial" "$target"
echo "package: $target ($(du -k "$target" | cut -f1) KiB)"
