#!/usr/bin/env bash
# Installs the Debian packages the Windows build and its run under Wine
# need, if any is missing: the mingw-w64 cross compiler, Wine, and
# googletest's sources to build for the target. Kept out of deps.sh so the
# Linux build does not pay for them.
set -euo pipefail
exec "$(dirname "$0")/deps.sh" --only g++-mingw-w64-x86-64-posix wine64 googletest cmake ninja-build
