#!/usr/bin/env bash
# The Windows side: cross-builds the cores, quillmark-cli and their tests
# with mingw-w64 into build-win/ (WIN_BUILD_DIR), runs every test program
# under Wine, then drives quillmark-cli.exe against the virtual printer
# through COM1. The virtual printer and the Linux quillmark-cli it is
# compared with come from the Linux build (BUILD_DIR, default build/),
# built here if missing. Fails, never skips, when Wine cannot run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
started=$(date +%s)
"$root/scripts/deps-windows.sh"

build="${BUILD_DIR:-$root/build}"
winbuild="${WIN_BUILD_DIR:-$root/build-win}"
if [ ! -x "$build/sim/quillmark-vprinter" ] || [ ! -x "$build/src/cli/quillmark-cli" ]; then
  BUILD_DIR="$build" TARGETS="quillmark-vprinter quillmark-cli" "$root/scripts/build.sh"
fi

cmake -S "$root" -B "$winbuild" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUILLMARK_GUI=OFF -DQUILLMARK_TESTS=ON -DQUILLMARK_WERROR=ON \
  >/dev/null
cmake --build "$winbuild" -j"$(nproc)"

# Wine in a prefix of its own, made here: no Mono or Gecko to fetch, no
# debug chatter, no display. COM1 leads to a link the end-to-end run points
# at the virtual printer's pseudo-terminal.
. "$root/scripts/wine-env.sh"
com1="$winbuild/com1"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  "$WINE" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$com1" /f >/dev/null
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
fi
# One server and one set of Wine's services for every run below, so each
# program starts in well under a second. (Started with their output to
# /dev/null: they outlive the program that starts them, and would hold its
# output open.)
"$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
"$WINE" wineboot >/dev/null 2>&1 </dev/null || true
"$WINE" cmd /c echo wine-runs >"$winbuild/wine-check.txt" 2>&1 </dev/null || true
said=$(tr -d '\r' <"$winbuild/wine-check.txt")
if [ "$said" != "wine-runs" ]; then
  echo "FAILED: Wine cannot run Windows programs here (it said: $said)" >&2
  exit 1
fi

ctest --test-dir "$winbuild" --output-on-failure --timeout 300
"$root/tests/e2e/windows/cli_under_wine.sh" "$winbuild/src/cli/quillmark-cli.exe" \
  "$build/sim/quillmark-vprinter" "$build/src/cli/quillmark-cli" "$com1"
echo "Windows build and tests under Wine: $(($(date +%s) - started)) s"
