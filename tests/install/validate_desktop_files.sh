#!/usr/bin/env bash
# desktop-file-validate and appstreamcli (offline) accept the desktop entry
# and the AppStream description, warnings included.
set -euo pipefail
desktop="$1"
metainfo="$2"
out="$(desktop-file-validate "$desktop" 2>&1)" && [ -z "$out" ] ||
  { echo "desktop-file-validate: $out"; exit 1; }
appstreamcli validate --no-net --pedantic "$metainfo" ||
  { echo "appstreamcli rejects $metainfo"; exit 1; }
echo "1 passed, 0 failed"
