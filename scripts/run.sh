#!/usr/bin/env bash
# The main job. With no arguments: installs what is missing, builds everything,
# starts the demo server and shows a whole installation against it. With
# arguments: runs bailan-cli with them (`scripts/run.sh help` lists its commands).
# `scripts/run.sh windows` shows the same installation with the Windows program
# under Wine (scripts/run-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ "${1:-}" = windows ]; then
  exec scripts/run-windows.sh
fi
scripts/build.sh default
if [ "$#" -gt 0 ]; then
  exec build/default/tools/bailan-cli/bailan-cli "$@"
fi
source scripts/lib/demo.sh

# The demo server on the installer's built-in address, its 30 MB archive sent
# slowly enough to be watched.
# TAMPER=1: the server changes the manifest after signing it, and the drive
# expects the installer to refuse it.
demo_start_server --port 18931 --quiet ${TAMPER:+--tamper-manifest}

# show_folder FOLDER: every file in the product folder with its size and mode.
show_folder() {
  echo "product folder $1:"
  (cd "$1" && find . -mindepth 1 -printf '  %M %10s  %P\n' | sort -k3)
}

installer=$(demo_installer)
# The demo's manifest is signed with the demo key (tools/demo-server). The
# installer's test build checks it with that key, so the demo runs with it when
# it was built; the program bailan-setup itself is built without a key
# (BAILAN_MANIFEST_PUBLIC_KEY) and takes the manifest unsigned.
signed=$(find build/default/src -name bailan-setup-e2e -type f -perm -u+x 2>/dev/null | head -1)
if [ -n "$installer" ] && [ -n "$signed" ]; then
  installer="$signed"
  export BAILAN_E2E_SERVER_URL=http://127.0.0.1:18931
  echo "installer: $installer (checks the manifest's signature with the demo key)"
fi
if [ -z "$installer" ]; then
  # No installer program (a build without the windows): receive the big archive
  # as the installer would.
  product="$demo_work/product"
  build/default/tools/bailan-cli/bailan-cli fetch "http://127.0.0.1:18931/install/Tavro/BLData.zip" "$product"
  show_folder "$product"
  exit 0
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # A person at a screen: the installer as it is, into the folder they choose.
  "$installer"
  exit 0
fi

# No display: the installer under Xvfb, driven as a person would, with a
# screenshot of each page. They go to build/screenshots, so that a run leaves the
# work tree as it was; SCREENSHOTS=docs refreshes the README's pictures.
shots="${SCREENSHOTS:-build/screenshots}"
mkdir -p "$shots"
export HOME="$demo_work/home" TEMP="$demo_work/temp"
mkdir -p "$HOME" "$TEMP"
demo_start_xvfb
if [ -n "${TAMPER:-}" ]; then
  DRIVE_EXPECT_ERROR=1 scripts/drive-installer.sh "$installer" "$shots"
  echo "screenshots: $shots/page1.png $shots/refused.png"
  exit 0
fi
scripts/drive-installer.sh "$installer" "$shots"
echo "screenshots: $shots/page1.png $shots/page2.png $shots/page3.png"
product="$HOME/柏岚软件/柏岚销售记账打印软件"
show_folder "$product"
for _ in $(seq 50); do
  [ -s "$product/BL.started" ] && break
  sleep 0.1
done
echo "launcher's proof ($product/BL.started):"
cat "$product/BL.started" 2>/dev/null || echo "  (none: BL.exe was not started)"
