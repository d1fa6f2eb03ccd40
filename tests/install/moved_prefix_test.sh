#!/usr/bin/env bash
# An installed tree works wherever its prefix ends up: install, move the
# prefix, then preview a label from the moved copy. Nothing in the installed
# programs may point back into the build tree.
set -euo pipefail
build="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cmake --install "$build" --prefix "$dir/first" --strip >/dev/null
mv "$dir/first" "$dir/moved"
prefix="$dir/moved"

if grep -rlF "$build" "$prefix/bin" "$prefix/lib"; then
  echo "the files above name the build tree $build"
  exit 1
fi

printf "SW400\r\nSL240,24,G\r\nT20,20,3,1,1,0,0,N,N,'moved'\r\nP1\r\n" >"$dir/label.txt"
out="$(env -u QUILLMARK_MODULE_DIR "$prefix/bin/quillmark-cli" preview "$dir/label.txt" \
  -o "$dir/out" 2>&1)" || { echo "preview from the moved prefix failed: $out"; exit 1; }
ls "$dir/out"/*.png >/dev/null 2>&1 || { echo "no label image written: $out"; exit 1; }

# The window's program answers --version on a terminal, with no display.
version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quillmark" --version)"
[[ "$version" =~ ^quillmark\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "quillmark --version: $version"; exit 1; }

# Without its module the preview says where it looked instead of crashing;
# without the whole program quillmark-cli says where it looked for that.
modules="$(dirname "$(find "$prefix/lib" -name 'libqm_cli_preview*')")"
rm "$modules"/*.so
if out="$(env -u QUILLMARK_MODULE_DIR "$prefix/bin/quillmark-cli" preview "$dir/label.txt" 2>&1)"; then
  echo "preview without its module succeeded: $out"
  exit 1
fi
# The module folder is among the places named (after the program's own
# folder when the program lives elsewhere, as without the front program).
[[ "$out" == *"not found in "*"$modules"* ]] || { echo "unexpected: $out"; exit 1; }
# (Builds without the front program have no whole program apart.)
full="$(find "$prefix/lib" -name quillmark-cli-full)"
rm -r "$prefix/lib"
if [ -n "$full" ]; then
  if out="$(env -u QUILLMARK_MODULE_DIR "$prefix/bin/quillmark-cli" --version 2>&1)"; then
    echo "quillmark-cli without the whole program succeeded: $out"
    exit 1
  fi
  grep -qF "cannot start the whole program (not found): $prefix/bin/quillmark-cli-full, $full" \
    <<<"$out" || { echo "unexpected: $out"; exit 1; }
fi
echo "1 passed, 0 failed"
