#!/usr/bin/env bash
# The run command: installs what is missing, builds, starts the virtual printer
# on a pseudo-terminal and Quillmark with "COM1:" pointing at it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/deps.sh"
TARGETS="quillmark quillmark-vprinter" "$root/scripts/build.sh"

for arg in "$@"; do
  case "$arg" in -h|--help) exec "$build/sim/quillmark-vprinter" --help ;; esac
done

link="$(mktemp -u /tmp/quillmark-printer.XXXXXX)"
labels="$(mktemp -d /tmp/quillmark-labels.XXXXXX)"
"$build/sim/quillmark-vprinter" --link "$link" --print-dir "$labels" "$@" &
printer=$!
trap 'kill $printer 2>/dev/null; rm -f "$link"' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || { echo "the virtual printer did not start" >&2; exit 1; }

echo "Virtual printer on $link (COM1:); printed labels go to $labels as PNG files"
QUILLMARK_COM1="$link" "$build/src/app/quillmark"
