#!/bin/sh
# Runs a Windows test program under Wine: wine-run.sh PREFIX PROGRAM ARGS...
# The Wine prefix is the build's own (made on first use, which takes some
# seconds), and the zh_CN.UTF-8 locale gives Wine the ANSI and OEM code page 936.
# A test that shows windows runs with BAILAN_WINE_DESKTOP set to the folder of
# the window tests' desktop (cmake/wine-desktop.sh): its X display and its own
# prefix then take the place of PREFIX, and the run fails when it is not up.
prefix="$1"
shift
if [ -n "${BAILAN_WINE_DESKTOP:-}" ]; then
  if [ ! -s "$BAILAN_WINE_DESKTOP/display" ]; then
    echo "wine-run.sh: the Wine desktop in $BAILAN_WINE_DESKTOP is not up" \
      "(ctest starts it as the fixture wine_desktop; by hand: cmake/wine-desktop.sh start DIR)" >&2
    exit 1
  fi
  prefix="$BAILAN_WINE_DESKTOP/prefix"
  DISPLAY=$(cat "$BAILAN_WINE_DESKTOP/display")
  export DISPLAY
fi
export WINEPREFIX="$prefix"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
