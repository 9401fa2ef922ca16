#!/bin/sh
# Runs a Windows test program under Wine: wine-run.sh PREFIX PROGRAM ARGS...
# The Wine prefix is the build's own (made on first use, which takes some
# seconds), and the zh_CN.UTF-8 locale gives Wine the ANSI and OEM code page 936.
prefix="$1"
shift
export WINEPREFIX="$prefix"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
