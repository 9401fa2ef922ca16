#!/usr/bin/env bash
# The desktop of the Windows window tests: an X server of its own (Xvfb on a
# free display) and a Wine prefix of its own, booted on that display, so that
# Wine's desktop process belongs to it from the first window on.
#   wine-desktop.sh start DIR   starts both; DIR/display then holds ":N"
#   wine-desktop.sh boot DIR    the prefix alone, on the X display in $DISPLAY
#   wine-desktop.sh stop DIR    ends the prefix's Wine processes and the X server
# ctest runs these as the fixture wine_desktop around every test that needs it.
# The X server and the Wine server also end when the process that started them
# (ctest) ends without calling stop, so that an interrupted run leaves nothing.
# The prefix (DIR/prefix) is kept between runs: making it takes a while. It has
# no drive D:. "宋体" and "黑体" need no font substitutes: Wine gives both names a
# CJK face found through fontconfig (Noto Sans CJK SC here).
set -euo pipefail
readonly START_SECONDS=120   # a new prefix under load takes about a minute
readonly STOP_SECONDS=10
readonly WATCH_SECONDS=2
here=$(cd "$(dirname "$0")" && pwd)
# wine-run.sh is called with the prefix here, not through a desktop that is not up yet.
unset BAILAN_WINE_DESKTOP
action="${1:-}"
state="${2:-}"
[ -n "$action" ] && [ -n "$state" ] || { echo "usage: wine-desktop.sh start|boot|stop DIR" >&2; exit 2; }
mkdir -p "$state"
state=$(cd "$state" && pwd)
prefix="$state/prefix"
log="$state/desktop.log"

# shellcheck source=fixture-processes.sh
. "$here/fixture-processes.sh"

stop() {
  # The watcher first, so that it does not tear down a desktop started after it.
  end_watcher "$state/watcher.pid" wine-desktop.sh
  if [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" timeout "$STOP_SECONDS" /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
  fi
  end_ours "$state/xvfb.pid" Xvfb "$STOP_SECONDS"
  rm -f "$state/display" "$state/xvfb.pid" "$state/watcher.pid"
}

start() {
  stop  # whatever an earlier, interrupted run left
  : >"$log"
  # Every process started here keeps none of the caller's output pipes: ctest
  # would wait for them to close.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display.new" </dev/null \
    >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$state/display.new" ] && break
    sleep 0.1
  done
  [ -s "$state/display.new" ] || { cat "$state/xvfb.log" >&2; stop; echo "wine-desktop: Xvfb did not start" >&2; exit 1; }
  DISPLAY=":$(head -1 "$state/display.new")"
  export DISPLAY
  rm -f "$state/display.new"
  boot
}

boot() {
  [ -n "${DISPLAY:-}" ] || { echo "wine-desktop: no X display to boot on" >&2; exit 1; }
  # One Wine server for the desktop's whole life, booted by one program alone.
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -p </dev/null >>"$log" 2>&1 || true
  rm -f "$prefix/dosdevices/d:"
  if ! timeout "$START_SECONDS" "$here/wine-run.sh" "$prefix" cmd /c exit </dev/null >>"$log" 2>&1; then
    tail -20 "$log" >&2
    stop
    echo "wine-desktop: the Wine prefix $prefix did not boot" >&2
    exit 1
  fi

  # Ends everything once the starter is gone without a stop.
  local starter=$PPID
  watch_starter "$starter" "$WATCH_SECONDS" "$here/wine-desktop.sh" "$state" "$state/watcher.pid" "$log"
  echo "$DISPLAY" >"$state/display"
  echo "wine-desktop: display $DISPLAY, prefix $prefix"
}

case "$action" in
  start) start ;;
  boot) stop; : >"$log"; boot ;;
  stop) stop ;;
  *) echo "usage: wine-desktop.sh start|boot|stop DIR" >&2; exit 2 ;;
esac
