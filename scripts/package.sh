#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the programs
# and the files the package holds into $BUILD_DIR (default build/), runs
# cpack, then lintian over the package. Prints the package's path last.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/deps.sh" --package
TARGETS="quillmark quillmark-cli quillmark-vprinter qm_cli_preview qm_preview_renderer qm_packaging" \
  "$root/scripts/build.sh" "$@"

rm -rf "$build/package"
(cd "$build" && cpack -G DEB --config CPackConfig.cmake >/dev/null)
deb="$(ls "$build"/package/quillmark_*.deb)"
# Errors fail the build; every tag down to information is listed.
echo "lintian:"
lintian --display-info --fail-on error "$deb" 2>&1 | grep -v "root privileges" | sed 's/^/  /'
echo "$deb"
