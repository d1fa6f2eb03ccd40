# Sourced: the Wine programs and the environment every run under Wine uses.
WINE="$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)"
WINESERVER="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
export WINEPREFIX="${WINEPREFIX:-${WIN_BUILD_DIR:-$root/build-win}/wineprefix}"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
