#!/usr/bin/env bash
# scripts/run.sh honours --link (both spellings): the virtual printer starts
# there, the tool starts on it, and the link is gone afterwards.
set -euo pipefail
root="$1"
build="$2"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
for form in separate joined; do
  link="$dir/printer-$form"
  if [ "$form" = separate ]; then args=(--link "$link"); else args=("--link=$link"); fi
  out="$(BUILD_DIR="$build" QUILLMARK_RUN_BUILT=1 QT_QPA_PLATFORM=offscreen \
    QUILLMARK_EXIT_WHEN_SHOWN=1 "$root/scripts/run.sh" "${args[@]}" --cu 80 2>&1)" ||
    { echo "run.sh ${args[*]} failed: $out"; exit 1; }
  grep -qF "Virtual printer on $link (COM1:)" <<<"$out" || { echo "unexpected: $out"; exit 1; }
  [ ! -e "$link" ] || { echo "link left behind: $link"; exit 1; }
done
echo "1 passed, 0 failed"
