#!/usr/bin/env bash
# Checks a built package from where it installs: each program's --version
# and a label preview by the installed quillmark-cli. As root with apt, the
# package is installed for real, then removed, and nothing of it may stay
# in /usr; otherwise it is unpacked into a temporary root and run there.
set -euo pipefail
deb="$(realpath "$1")"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  mode=installed
  root=""
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq "$deb" >/dev/null
  # A failed check does not leave the package behind.
  trap 'apt-get remove -y -qq quillmark >/dev/null 2>&1 || true; rm -rf "$dir"' EXIT
else
  mode=unpacked
  root="$dir/root"
  dpkg-deb -x "$deb" "$root"
fi

version="$(dpkg-deb -f "$deb" Version)"
for program in quillmark quillmark-cli quillmark-vprinter; do
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version 2>&1)" ||
    { echo "$program --version failed: $out"; exit 1; }
  [[ "$out" == *"$version"* ]] || { echo "$program --version says: $out"; exit 1; }
done
printf "SW400\r\nSL240,24,G\r\nT20,20,3,1,1,0,0,N,N,'installed'\r\nB1100,100,0,2,7,60,0,1,'1234'\r\nP1\r\n" \
  >"$dir/label.txt"
"$root/usr/bin/quillmark-cli" preview "$dir/label.txt" -o "$dir/labels"
[ -n "$(ls "$dir/labels"/*.png 2>/dev/null)" ] || { echo "no label image"; exit 1; }

if [ "$mode" = installed ]; then
  files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}')"
  apt-get remove -y -qq quillmark >/dev/null
  trap 'rm -rf "$dir"' EXIT
  left=""
  for f in $files; do [ -e "$f" ] && left+=" $f"; done
  [ -z "$left" ] || { echo "left in /usr after removal:$left"; exit 1; }
  [ ! -e /usr/lib/"$(dpkg-architecture -qDEB_HOST_MULTIARCH)"/quillmark ] ||
    { echo "module folder left behind"; exit 1; }
fi
echo "package checked ($mode): $deb"
