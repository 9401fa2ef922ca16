#!/usr/bin/env bash
# The default install folder against the drives of the Wine prefix: D: where it
# is a fixed drive, else the system drive. Maps D: in the desktop's own prefix
# (a link in dosdevices, as winecfg makes one) and removes it again.
#   default-folder.sh PRINT_DEFAULT_FOLDER_EXE      (BAILAN_WINE_DESKTOP set)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
probe="$1"
prefix="$BAILAN_WINE_DESKTOP/prefix"
drive="$prefix/dosdevices/d:"
work=$(mktemp -d /tmp/bailan-default-folder.XXXXXX)
trap 'rm -f "$drive"; rm -rf "$work"' EXIT
[ ! -e "$drive" ] && [ ! -L "$drive" ] || { echo "the desktop's prefix already has a drive D:" >&2; exit 1; }

passed=0 failed=0
# check NAME EXPECTED: runs the probe and compares its line (written through
# the C runtime's text mode, so ending in CR LF).
check() {
  local got
  got=$("$here/../../cmake/wine-run.sh" "$prefix" "$probe" 2>&1) || got="(exit $?) $got"
  got=${got%$'\r'}
  if [ "$got" = "$2" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $1: expected '$2', got '$got'" >&2
  fi
}

check "no drive D:" 'C:\柏岚软件'
mkdir "$work/disk"
ln -s "$work/disk" "$drive"
check "D: a fixed drive" 'D:\柏岚软件'
rm "$drive"
ln -s "$work/gone" "$drive"
check "D: mapped to a folder that is gone" 'C:\柏岚软件'
rm "$drive"
echo "default folder: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
