#!/usr/bin/env bash
# The installer window under Xvfb: time from process start to the first paint
# of the installer window (its frame colour on screen) and to the start-up
# warning box, and its memory at rest on page 1 and at its peak during an
# installation of the demo product (the demo server limited to RATE KiB/s per
# connection so that the installation lasts a while). Memory is the resident set
# of the installer process and the proportional set (PSS) of it and its
# children (Qt WebEngine's helper processes). Three runs. Not run by CI.
#   bench/gui/run.sh [RATE_KIB]   (default 2048)
set -euo pipefail
cd "$(dirname "$0")/../.."

rate="${1:-2048}"
runs=3
readonly PORT=18931 FRAME='srgb(18,102,152)' INSTALL_X=508 INSTALL_Y=316
cmake --preset default >/dev/null
cmake --build --preset default --target bailan-setup bailan-demo-server >/dev/null
source scripts/lib/demo.sh
installer=$(demo_installer)
demo_start_server --port "$PORT" --rate "$rate" --quiet >/dev/null
demo_start_xvfb
work="$demo_work"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true; }
# The process and every descendant.
tree() {
  local pid=$1 child
  echo "$pid"
  for child in $(pgrep -P "$pid" || true); do tree "$child"; done
}
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
pss_kib() {
  local total=0 pid value
  for pid in $(tree "$1"); do
    value=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${value:-0}))
  done
  echo "$total"
}
frame_painted() {  # window id: is the top edge in the frame colour?
  local X Y WIDTH HEIGHT SCREEN geometry
  # The window may be replaced by a new native one in the meantime.
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  eval "$geometry"
  [ "$(import -silent -window root -crop "1x1+$((X + 20))+$Y" -format '%[pixel:p{0,0}]' info: 2>/dev/null)" = "$FRAME" ]
}

printf '%4s %9s %9s %11s %11s %13s %13s %8s\n' run box_ms paint_ms rest_rss_MiB rest_pss_MiB install_rss_MiB \
  install_pss_MiB install_s
for run in $(seq 1 "$runs"); do
  export HOME="$work/home$run" TEMP="$work/temp$run"
  mkdir -p "$HOME" "$TEMP"
  start=$(now_ms)
  "$installer" >"$work/installer$run.log" 2>&1 &
  pid=$!
  box_ms="" paint_ms="" main="" box=""
  while [ -z "$box_ms" ] || [ -z "$paint_ms" ]; do
    [ $(($(now_ms) - start)) -lt 60000 ] || { echo "run $run: no window within 60 s" >&2; exit 1; }
    if [ -z "$box_ms" ]; then
      box=$(visible '^必读提示')
      [ -z "$box" ] || box_ms=$(($(now_ms) - start))
    fi
    if [ -z "$paint_ms" ]; then
      main=$(visible '^柏岚安装程序')
      if [ -n "$main" ] && frame_painted "$main"; then paint_ms=$(($(now_ms) - start)); fi
    fi
    # The window may be painted only once the warning box is answered.
    if [ -n "$box_ms" ] && [ -z "$paint_ms" ] && [ $(($(now_ms) - start)) -gt 5000 ]; then
      xdotool windowfocus --sync "$box" key Return
      box=""
    fi
  done
  [ -z "$(visible '^必读提示')" ] || xdotool windowfocus --sync "$(visible '^必读提示')" key Return
  sleep 3
  rest_rss=$(rss_kib "$pid") rest_pss=$(pss_kib "$pid")
  install_start=$(now_ms)
  xdotool mousemove --window "$(visible '^柏岚安装程序')" "$INSTALL_X" "$INSTALL_Y" click 1
  peak_rss=0 peak_pss=0
  while [ -z "$(visible '^柏岚软件')" ]; do
    kill -0 "$pid" 2>/dev/null || { echo "run $run: the installer ended early" >&2; exit 1; }
    value=$(rss_kib "$pid")
    [ "$value" -le "$peak_rss" ] || peak_rss=$value
    value=$(pss_kib "$pid")
    [ "$value" -le "$peak_pss" ] || peak_pss=$value
    sleep 0.2
  done
  install_ms=$(($(now_ms) - install_start))
  xdotool windowfocus --sync "$(visible '^柏岚软件')" key Return
  wait "$pid" || true
  printf '%4s %9s %9s %11.1f %11.1f %13.1f %13.1f %8.1f\n' "$run" "$box_ms" "$paint_ms" \
    "$(bc -l <<<"$rest_rss / 1024")" "$(bc -l <<<"$rest_pss / 1024")" "$(bc -l <<<"$peak_rss / 1024")" \
    "$(bc -l <<<"$peak_pss / 1024")" "$(bc -l <<<"$install_ms / 1000")"
done
