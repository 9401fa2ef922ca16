#!/usr/bin/env bash
# bailan-setup.exe end to end under Wine, on the Wine desktop of the window tests
# (BAILAN_WINE_DESKTOP), against the native demo server on a free loopback port,
# driven by scripts/drive-installer.sh as a person would: the warning box, the
# install click, the completion box. Then checks the product folder byte for
# byte against the served archives, the proof that the Windows BL.exe left (so
# GO.bat ran through Wine's cmd), that nothing else is left in the folder and
# that no process of the installation is left running.
#   install-end-to-end.sh INSTALLER_EXE BL_EXE DEMO_SERVER SCREENSHOT_FOLDER
# Prints "win32 e2e: N passed, N failed"; exit 0 only when every check passed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
installer="$1" program="$2" server="$3" shots="$4"
readonly SERVER_START_SECONDS=60   # the server makes its 30 MB archive first
readonly PROOF_SECONDS=20          # GO.bat runs after the completion box is shown
readonly PROCESS_END_SECONDS=20
prefix="$BAILAN_WINE_DESKTOP/prefix"
folder_unix="$prefix/drive_c/柏岚软件"   # no D: in the desktop's prefix: the system drive's folder
product="$folder_unix/柏岚销售记账打印软件"
product_windows='C:\柏岚软件\柏岚销售记账打印软件'

[ -x "$server" ] || {
  echo "no native demo server at $server: build it with" \
    "'cmake --preset default && cmake --build --preset default --target bailan-demo-server'" >&2
  exit 1
}
[ -d "$prefix" ] || { echo "the Wine desktop's prefix $prefix does not exist" >&2; exit 1; }

work=$(mktemp -d /tmp/bailan-win32-e2e.XXXXXX)
server_pid=""
cleanup() {
  [ -z "$server_pid" ] || { kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT

passed=0 failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAILED: $*" >&2; }
finish() {
  echo "win32 e2e: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

# A fresh start: no product folder and no manifest copy from an earlier run.
rm -rf "$folder_unix"
find "$prefix/drive_c/users" -maxdepth 4 -name update.ini -path '*/Temp/*' -delete 2>/dev/null || true

"$server" --port 0 --quiet --folder "$work/site" --bl-exe "$program" >"$work/server.log" 2>&1 &
server_pid=$!
url=""
for _ in $(seq $((SERVER_START_SECONDS * 10))); do
  url=$(sed -n 's|^demo server: \(http://127\.0\.0\.1:[0-9]*\)/.*|\1|p' "$work/server.log")
  [ -z "$url" ] || break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$url" ] || { cat "$work/server.log" >&2; echo "the demo server did not start" >&2; exit 1; }
echo "demo server: $url"

# The installer as one program for the driver: Wine on the desktop, pointed at
# this server through its test seam (BAILAN_TEST_SERVER_URL).
cat >"$work/installer.sh" <<SCRIPT
#!/bin/sh
export BAILAN_TEST_SERVER_URL="$url"
exec "$root/cmake/wine-run.sh" "$prefix" "$installer"
SCRIPT
chmod +x "$work/installer.sh"

mkdir -p "$shots"
rm -f "$shots"/win32-page*.png
export DISPLAY
DISPLAY=$(cat "$BAILAN_WINE_DESKTOP/display")
if "$root/scripts/drive-installer.sh" "$work/installer.sh" "$work/shots"; then
  pass
else
  fail "the installation did not run to its end"
fi
rm -f "$shots/win32-failure.png"
for page in 1 2 3; do
  [ ! -f "$work/shots/page$page.png" ] || mv "$work/shots/page$page.png" "$shots/win32-page$page.png"
done
[ ! -f "$work/shots/failure.png" ] || mv "$work/shots/failure.png" "$shots/win32-failure.png"
[ ! -f "$shots/win32-failure.png" ] || echo "the screen when the drive failed: $shots/win32-failure.png"

echo "screenshots: $shots/win32-page1.png $shots/win32-page2.png $shots/win32-page3.png"

# The product folder, byte for byte: what the served archives hold, unpacked by
# Python's zipfile (names in CP936), and beside it only the launcher's proof.
python3 - "$work/site/install/Tavro" "$work/expected" <<'PY'
import pathlib, sys, zipfile
site, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
for archive in sorted(site.glob("*.zip")):
    with zipfile.ZipFile(archive, metadata_encoding="cp936") as z:
        z.extractall(out)
PY
list() { (cd "$1" && find . -type f ! -name BL.started | LC_ALL=C sort); }
if [ -d "$product" ] && [ "$(list "$product")" = "$(list "$work/expected")" ]; then
  pass
else
  fail "the product folder holds other files than the archives:"
  diff <(list "$work/expected") <(list "$product" 2>/dev/null) >&2 || true
fi
while read -r file; do
  cmp -s "$work/expected/$file" "$product/$file" || fail "$file differs from the archive's"
done < <(list "$work/expected")
cmp -s "$program" "$product/BL.exe" && pass || fail "BL.exe is not the Windows stand-in"
manifest=$(find "$prefix/drive_c/users" -maxdepth 4 -name update.ini -path '*/Temp/*' | head -1)
cmp -s "$work/site/install/Tavro/Live.txt" "$manifest" && pass || fail "no copy of the manifest in TEMP"

# GO.bat ran through Wine's cmd: BL.exe was started in the product folder once.
expected_proof="BL.exe started in $product_windows"
for _ in $(seq $((PROOF_SECONDS * 10))); do
  [ ! -s "$product/BL.started" ] || break
  sleep 0.1
done
proof=$(cat "$product/BL.started" 2>/dev/null || true)
[ "$proof" = "$expected_proof" ] && pass || fail "BL.started holds '$proof', expected '$expected_proof'"
[ ! -e "$product/GO.bat" ] && pass || fail "GO.bat was left behind"

# No process of the installation is left: the installer, cmd and BL.exe of this
# prefix have all ended (the desktop's own Wine processes stay until its stop).
leftovers() {
  local pid
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    grep -qaz "^WINEPREFIX=$prefix\$" "/proc/$pid/environ" 2>/dev/null || continue
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -aiE 'bailan-setup\.exe|BL\.exe|cmd\.exe' || true
  done
}
left=""
for _ in $(seq $((PROCESS_END_SECONDS * 10))); do
  left=$(leftovers)
  [ -n "$left" ] || break
  sleep 0.1
done
[ -z "$left" ] && pass || fail "processes left behind: $left"
finish
