#!/usr/bin/env bash
# Installs the Debian packages the Windows build and its run under Wine
# need, if any is missing: the mingw-w64 cross compiler, Wine, and
# googletest's sources to build for the target.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix wine64 googletest cmake ninja-build)

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
