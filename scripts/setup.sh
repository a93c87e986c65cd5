#!/usr/bin/env bash
# Installs everything Pellucor needs to build and test on Debian 12. LibreOffice
# converts .doc, .dot, .rtf and .odt documents; the .docx family needs none.
# The locales package lets a test make a locale with an 8-bit character set.
# nettle gives the converter its MD5; libxml2 reads HTML as browsers do;
# shellcheck and pyflakes3 lint the shell and Python the program carries.
# The last line serves scripts/package.sh: it makes the .deb and checks it.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  qt6-base-dev libzip-dev libpugixml-dev libicu-dev zlib1g-dev libdeflate-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  nettle-dev libxml2-dev shellcheck pyflakes3
  clang libclang-rt-14-dev clang-format
  fonts-liberation xvfb time help2man locales
  libreoffice-writer-nogui python3-uno
  dpkg-dev lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all build and test dependencies are installed"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
