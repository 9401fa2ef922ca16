#!/usr/bin/env bash
# The installer's two faces under Xvfb, side by side: the Qt face (Linux) and
# the Windows program bailan-setup.exe under Wine. For each: time from process
# start to the start-up warning box and to the first paint of the installer
# window (its frame colour on screen), and its memory at rest on page 1 and at
# its peak during an installation of the demo product (the demo server limited
# to RATE KiB/s per connection so that the installation lasts a while). Memory
# is the resident set of the installer process and the proportional set (PSS)
# of everything it needs: for Qt its process and children (Qt WebEngine's
# helper processes), for Windows its process and Wine's own processes of its
# prefix (wineserver, the desktop, services). For the Windows program also its
# size: stripped, static, and the DLLs it imports (system DLLs only). Three runs
# each. Not run by CI.
#   bench/gui/run.sh [RATE_KIB] [FACE...]   (default 2048; faces qt and windows)
set -euo pipefail
cd "$(dirname "$0")/../.."

rate=2048
if [ "$#" -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  rate=$1
  shift
fi
faces=("$@")
[ "${#faces[@]}" -gt 0 ] || faces=(qt windows)
runs=3
readonly PORT=18931 FRAME='srgb(18,102,152)' INSTALL_X=508 INSTALL_Y=316
readonly SIZE_GOAL_BYTES=$((4 * 1024 * 1024))

cmake --preset default >/dev/null
if [[ " ${faces[*]} " == *" qt "* ]]; then
  cmake --build --preset default --target bailan-setup bailan-demo-server >/dev/null
else
  cmake --build --preset default --target bailan-demo-server >/dev/null
fi
if [[ " ${faces[*]} " == *" windows "* ]]; then
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw --target bailan-setup bl-standin >/dev/null
fi
source scripts/lib/demo.sh
work="$demo_work"
desktop="$PWD/build/mingw/wine-bench"
bench_cleanup() {
  [[ " ${faces[*]} " != *" windows "* ]] || cmake/wine-desktop.sh stop "$desktop" >/dev/null 2>&1 || true
  demo_cleanup
}
trap bench_cleanup EXIT
# With the Windows program, the product's BL.exe is the Windows stand-in (the
# shell script would not start under Wine's cmd).
program=()
[[ " ${faces[*]} " != *" windows "* ]] || program=(--bl-exe "$PWD/build/mingw/tools/bl-standin/BL.exe")
demo_start_server --port "$PORT" --rate "$rate" --quiet "${program[@]}" >/dev/null
demo_start_xvfb

now_ms() { echo $(($(date +%s%N) / 1000000)); }
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true; }
# The process and every descendant.
tree() {
  local pid=$1 child
  echo "$pid"
  for child in $(pgrep -P "$pid" || true); do tree "$child"; done
}
# Every process of the Wine prefix $WINEPREFIX (the program and Wine's own).
prefix_processes() {
  local pid
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    grep -qaz "^WINEPREFIX=$WINEPREFIX\$" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
  return 0
}
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
pss_sum() {
  local total=0 pid value
  for pid in "$@"; do
    value=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${value:-0}))
  done
  echo "$total"
}
qt_pss() { pss_sum $(tree "$1"); }
windows_pss() { pss_sum $(prefix_processes); }
frame_painted() {  # window id: is the top edge in the frame colour?
  local X Y WIDTH HEIGHT SCREEN geometry
  # The window may be replaced by a new native one in the meantime.
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  eval "$geometry"
  [ "$(import -silent -window root -crop "1x1+$((X + 20))+$Y" -format '%[pixel:p{0,0}]' info: 2>/dev/null)" = "$FRAME" ]
}

# measure FACE LAUNCHER PSS_FUNCTION: three runs of LAUNCHER (a program that
# becomes the installer), one table line each.
measure() {
  local face=$1 launcher=$2 pss=$3 run start pid box_ms paint_ms main box rest_rss rest_pss install_start
  local peak_rss peak_pss value install_ms
  for run in $(seq 1 "$runs"); do
    export HOME="$work/home$run" TEMP="$work/temp$run"
    mkdir -p "$HOME" "$TEMP"
    start=$(now_ms)
    "$launcher" >"$work/installer-$face-$run.log" 2>&1 &
    pid=$!
    box_ms="" paint_ms="" main="" box=""
    while [ -z "$box_ms" ] || [ -z "$paint_ms" ]; do
      [ $(($(now_ms) - start)) -lt 60000 ] || { echo "$face run $run: no window within 60 s" >&2; exit 1; }
      if [ -z "$box_ms" ]; then
        box=$(visible '^必读提示')
        [ -z "$box" ] || box_ms=$(($(now_ms) - start))
      fi
      if [ -z "$paint_ms" ]; then
        main=$(visible '^柏岚安装程序')
        if [ -n "$main" ] && frame_painted "$main"; then paint_ms=$(($(now_ms) - start)); fi
      fi
      # The window may be painted only once the warning box is answered.
      if [ -n "$box_ms" ] && [ -z "$paint_ms" ] && [ $(($(now_ms) - start)) -gt 5000 ] && [ -n "$box" ]; then
        xdotool windowfocus --sync "$box" key Return
        box=""
      fi
    done
    [ -z "$(visible '^必读提示')" ] || xdotool windowfocus --sync "$(visible '^必读提示')" key Return
    sleep 3
    rest_rss=$(rss_kib "$pid") rest_pss=$("$pss" "$pid")
    install_start=$(now_ms)
    xdotool mousemove --window "$(visible '^柏岚安装程序')" "$INSTALL_X" "$INSTALL_Y" click 1
    peak_rss=0 peak_pss=0
    while [ -z "$(visible '^柏岚软件')" ]; do
      kill -0 "$pid" 2>/dev/null || { echo "$face run $run: the installer ended early" >&2; exit 1; }
      value=$(rss_kib "$pid")
      [ "$value" -le "$peak_rss" ] || peak_rss=$value
      value=$("$pss" "$pid")
      [ "$value" -le "$peak_pss" ] || peak_pss=$value
      sleep 0.2
    done
    install_ms=$(($(now_ms) - install_start))
    xdotool windowfocus --sync "$(visible '^柏岚软件')" key Return
    wait "$pid" || true
    printf '%-8s %4s %9s %9s %11.1f %11.1f %13.1f %13.1f %8.1f\n' "$face" "$run" "$box_ms" "$paint_ms" \
      "$(bc -l <<<"$rest_rss / 1024")" "$(bc -l <<<"$rest_pss / 1024")" "$(bc -l <<<"$peak_rss / 1024")" \
      "$(bc -l <<<"$peak_pss / 1024")" "$(bc -l <<<"$install_ms / 1000")"
  done
}

if [[ " ${faces[*]} " == *" windows "* ]]; then
  exe=build/mingw/src/win32/bailan-setup.exe
  x86_64-w64-mingw32-strip -o "$work/bailan-setup.exe" "$exe"
  size=$(stat -c %s "$work/bailan-setup.exe")
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -u | tr '\n' ' ')
  echo "bailan-setup.exe: $size bytes stripped ($(bc -l <<<"scale=2; $size / 1048576") MiB;" \
    "goal at most 4 MiB: $([ "$size" -le "$SIZE_GOAL_BYTES" ] && echo met || echo MISSED))"
  echo "  imports: $dlls"
  if grep -qiE '(^| )(lib[^ ]*|zlib1|qt[^ ]*)\.dll' <<<"$dlls"; then
    echo "  a DLL beside the program is needed: not static" >&2
  else
    echo "  system DLLs only: nothing to ship beside it"
  fi
fi

printf '%-8s %4s %9s %9s %11s %11s %13s %13s %8s\n' face run box_ms paint_ms rest_rss_MiB rest_pss_MiB \
  install_rss_MiB install_pss_MiB install_s
if [[ " ${faces[*]} " == *" qt "* ]]; then
  measure qt "$(demo_installer)" qt_pss
fi
if [[ " ${faces[*]} " == *" windows "* ]]; then
  # Wine's desktop on this script's Xvfb, in a prefix of the benchmark's own;
  # the program starts on a booted prefix, as on a running Windows.
  export BAILAN_WINE_DESKTOP="$desktop" WINEPREFIX="$desktop/prefix"
  cmake/wine-desktop.sh boot "$desktop" >/dev/null
  # Each run installs afresh into the system drive's folder (the prefix has no D:).
  printf '#!/bin/sh\nrm -rf "%s"\nexec "%s" "%s" "%s"\n' "$WINEPREFIX/drive_c/柏岚软件" "$PWD/cmake/wine-run.sh" \
    "$WINEPREFIX" "$work/bailan-setup.exe" >"$work/windows-installer.sh"
  chmod +x "$work/windows-installer.sh"
  measure windows "$work/windows-installer.sh" windows_pss
fi
