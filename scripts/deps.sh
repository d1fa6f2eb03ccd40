#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing;
# with --package, also what building and checking the Debian package needs.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev
  libudev-dev libcups2-dev cups-daemon cups-client
  xvfb xauth
  ccache
  libcli11-dev nlohmann-json3-dev
  libzint-dev libzxing-dev fonts-dejavu-core libfreetype-dev libfontconfig-dev
  clang libclang-rt-14-dev binutils srecord
  imagemagick
  help2man desktop-file-utils appstream
)
if [ "${1:-}" = "--package" ]; then
  packages+=(dpkg-dev file fakeroot lintian)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
