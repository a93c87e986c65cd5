#!/usr/bin/env bash
# Installs a build tree into a temporary prefix, as the package does, and checks
# what a user gets: only the two programs in bin/, the window's files in its
# own folder behind the link, valid desktop files, and a command line that runs
# on the installed samples and leaves them as they were.
#   check_install_tree.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
work=$(mktemp -d /tmp/pellucor-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
usr=$work/usr
program_dir=$usr/lib/pellucor
problems=0
problem() {
  echo "install tree: $*" >&2
  problems=$((problems + 1))
}

if ! "$cmake" --install "$build" --prefix "$usr" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "install tree: cmake --install $build failed" >&2
  exit 1
fi

in_bin=$(ls -A "$usr/bin" | tr '\n' ' ')
[ "$in_bin" = "pellucor pellucor-cli " ] ||
  problem "bin/ holds '$in_bin'; only pellucor and pellucor-cli belong there"
[ -L "$usr/bin/pellucor" ] && [[ $(readlink "$usr/bin/pellucor") != /* ]] ||
  problem "bin/pellucor is not a relative link"
[ "$(readlink -f "$usr/bin/pellucor")" = "$(readlink -f "$program_dir/pellucor")" ] ||
  problem "bin/pellucor does not lead to $program_dir/pellucor"
for file in pellucor HAND-M.CUR drag.ico pellucor.png x/o.cjs; do
  [ -f "$program_dir/$file" ] || problem "$program_dir/$file is missing"
done
for file in applications/pellucor.desktop metainfo/app.pellucor.pellucor.metainfo.xml \
  doc/pellucor/copyright icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/pellucor.png; do
  [ -f "$usr/share/$file" ] || problem "share/$file is missing"
done
desktop-file-validate "$usr/share/applications/pellucor.desktop" >&2 ||
  problem "the desktop entry does not validate"
if ! verdict=$(appstreamcli validate --no-net "$usr/share/metainfo/app.pellucor.pellucor.metainfo.xml" 2>&1); then
  echo "$verdict" >&2
  problem "the AppStream file does not validate"
fi

shopt -s nullglob
samples=("$program_dir"/Samples/*.docx)
[ ${#samples[@]} -gt 0 ] || problem "$program_dir/Samples holds no documents"
sums_before=$(cd "$program_dir/Samples" && md5sum -- *)
mkdir "$work/out"
status=0
"$usr/bin/pellucor-cli" --add --out "$work/out" --yes "${samples[@]}" >"$work/cli.log" 2>&1 ||
  status=$?
summary=$(tail -n 1 "$work/cli.log")
# A sample protected with a password is reported as protected: status 1.
if [ "$status" -gt 1 ] || ! [[ $summary =~ ^[1-9][0-9]*\ changed,.*\ 0\ failed$ ]]; then
  sed 's/^/  /' "$work/cli.log" >&2
  problem "the installed pellucor-cli ended with status $status on the installed samples"
fi
[ "$(cd "$program_dir/Samples" && md5sum -- *)" = "$sums_before" ] ||
  problem "the installed samples changed"

[ "$problems" -eq 0 ] || exit 1
echo "install tree: ${#samples[@]} samples processed by the installed pellucor-cli: $summary"
