#!/usr/bin/env bash
# Takes a picture of the main window on a virtual X display.
#   scripts/screenshot.sh [OUT.png]        default: docs/window.png
# Sets up and builds like start.sh, then shows the window through
# pellucor-screenshot with a throw-away home and settings folder, so the
# user's own settings are neither read nor changed; it saves the window's
# picture once it is painted and ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/window.png}
[[ $out = /* ]] || out=$PWD/$out

"$root/scripts/setup.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" >/dev/null
program=$BUILD_DIR/tools/screenshot/pellucor-screenshot
if [ ! -x "$program" ]; then
  echo "screenshot: the build made no screenshot program at $program" >&2
  exit 1
fi

home=$(mktemp -d /tmp/pellucor-screenshot-XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/.config" "$home/runtime"
chmod 700 "$home/runtime"
# A fixed desktop folder, so the output folder field reads the same on every run.
echo 'XDG_DESKTOP_DIR="/home/user/Desktop"' >"$home/.config/user-dirs.dirs"
shot=$home/window.png

status=0
env -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb \
  timeout --kill-after=10 90 xvfb-run -a -s "-screen 0 1024x768x24" \
  timeout 60 "$program" "$shot" >"$home/program.log" 2>&1 || status=$?

fail() {
  echo "screenshot: $program $1; $out is left as it was. What it printed:" >&2
  sed 's/^/  /' "$home/program.log" >&2
  exit 1
}
if [ "$status" -eq 124 ]; then
  fail "did not save its picture within 60 seconds"
elif [ "$status" -ne 0 ]; then
  fail "ended with status $status"
elif [ ! -s "$shot" ]; then
  fail "ended without saving a picture"
elif [ "$(head -c 4 "$shot" | tail -c 3)" != PNG ]; then
  fail "saved a picture that is not a PNG image"
fi
mkdir -p "$(dirname "$out")"
cp "$shot" "$out.partial"
mv "$out.partial" "$out"
echo "screenshot: $out"
