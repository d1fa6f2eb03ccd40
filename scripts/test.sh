#!/usr/bin/env bash
# The test command: installs what is missing, builds with warnings as errors,
# runs every test. Extra arguments go to cmake (for example -DQUILLMARK_SANITIZE=ON).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" -DQUILLMARK_WERROR=ON -DQUILLMARK_TESTS=ON "$@"
build="${BUILD_DIR:-$root/build}"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
