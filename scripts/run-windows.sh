#!/usr/bin/env bash
# `scripts/run.sh windows`: the product's own face. Builds bailan-setup.exe and
# the Windows BL.exe stand-in (mingw preset) and the demo server (native), starts
# the server on the installer's built-in address with the Windows BL.exe in its
# product, and runs the installer under Wine in a prefix of its own
# (build/mingw/wine-demo). On a display the installer opens there for a person;
# without one it runs under Xvfb, driven by xdotool as a person would
# (scripts/drive-installer.sh), with a screenshot of each page under
# build/screenshots (SCREENSHOTS=docs: the README's docs/win32-page*.png). Then
# prints the product folder and the proof left by BL.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target bailan-setup bl-standin
# The native demo server only: the rest of the default preset (Qt) is not needed.
[ -f build/default/CMakeCache.txt ] || cmake --preset default >/dev/null
cmake --build --preset default --target bailan-demo-server
installer="$PWD/build/mingw/src/win32/bailan-setup.exe"
program="$PWD/build/mingw/tools/bl-standin/BL.exe"
desktop="$PWD/build/mingw/wine-demo"
export BAILAN_WINE_DESKTOP="$desktop"

source scripts/lib/demo.sh
stop_desktop() {
  cmake/wine-desktop.sh stop "$desktop" || true
  demo_cleanup
}
trap stop_desktop EXIT

demo_start_server --port 18931 --quiet --bl-exe "$program"

# A person at a screen: the prefix on their display. Otherwise an Xvfb of its own.
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cmake/wine-desktop.sh boot "$desktop"
  person=1
else
  cmake/wine-desktop.sh start "$desktop"
  person=0
  DISPLAY=$(cat "$desktop/display")
  export DISPLAY
fi
# No D: in the prefix: the installer offers the folder on the system drive.
folder="$desktop/prefix/drive_c/柏岚软件"
product="$folder/柏岚销售记账打印软件"
rm -rf "$folder"

if [ "$person" -eq 1 ]; then
  cmake/wine-run.sh "$desktop/prefix" "$installer"
else
  shots="${SCREENSHOTS:-build/screenshots}"
  mkdir -p "$shots"
  printf '#!/bin/sh\nexec "%s" "%s" "%s"\n' "$PWD/cmake/wine-run.sh" "$desktop/prefix" "$installer" \
    >"$demo_work/installer.sh"
  chmod +x "$demo_work/installer.sh"
  scripts/drive-installer.sh "$demo_work/installer.sh" "$demo_work/shots"
  for page in 1 2 3; do mv "$demo_work/shots/page$page.png" "$shots/win32-page$page.png"; done
  echo "screenshots: $shots/win32-page1.png $shots/win32-page2.png $shots/win32-page3.png"
fi

echo "product folder C:\\柏岚软件\\柏岚销售记账打印软件 ($product):"
(cd "$product" && find . -mindepth 1 -printf '  %M %10s  %P\n' | sort -k3)
for _ in $(seq 100); do
  [ -s "$product/BL.started" ] && break
  sleep 0.1
done
echo "launcher's proof (BL.started):"
cat "$product/BL.started" 2>/dev/null || echo "  (none: BL.exe was not started)"
