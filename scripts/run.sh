#!/usr/bin/env bash
# The run command: installs what is missing, builds, starts the virtual printer
# on a pseudo-terminal and Quillmark with "COM1:" pointing at it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
# QUILLMARK_RUN_BUILT=1 runs what build/ holds without installing or building
# (the test of this script does so).
if [ -z "${QUILLMARK_RUN_BUILT:-}" ]; then
  "$root/scripts/deps.sh"
  TARGETS="quillmark quillmark-vprinter" "$root/scripts/build.sh"
fi

for arg in "$@"; do
  case "$arg" in -h|--help) exec "$build/sim/quillmark-vprinter" --help ;; esac
done

# The printer's link: the one asked for with --link, or a fresh name; its
# paper: the folder asked for with --print-dir, or a fresh one under /tmp.
link=""
labels=""
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --link) [ $# -ge 2 ] || { echo "--link needs a path" >&2; exit 2; }
            link="$2"; shift 2 ;;
    --link=*) link="${1#--link=}"; shift ;;
    --print-dir) [ $# -ge 2 ] || { echo "--print-dir needs a folder" >&2; exit 2; }
                 labels="$2"; shift 2 ;;
    --print-dir=*) labels="${1#--print-dir=}"; shift ;;
    *) args+=("$1"); shift ;;
  esac
done
[ -n "$link" ] || link="$(mktemp -u /tmp/quillmark-printer.XXXXXX)"
[ -n "$labels" ] || labels="$(mktemp -d /tmp/quillmark-labels.XXXXXX)"
"$build/sim/quillmark-vprinter" --link "$link" --print-dir "$labels" ${args[@]+"${args[@]}"} &
printer=$!
trap 'kill $printer 2>/dev/null; rm -f "$link"' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || { echo "the virtual printer did not start" >&2; exit 1; }

echo "Virtual printer on $link (COM1:); printed labels go to $labels as PNG files"
QUILLMARK_COM1="$link" "$build/src/app/quillmark"
