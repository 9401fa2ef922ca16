# Shared by scripts/run.sh and bench/gui/run.sh (sourced from the repository's
# root): a work folder, the demo server and an X server of our own, all stopped
# and removed when the calling script exits.
demo_work=$(mktemp -d /tmp/bailan-demo-run.XXXXXX)
demo_pids=()
demo_cleanup() {
  local pid
  for pid in "${demo_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$demo_work"
}
trap demo_cleanup EXIT

# demo_start_server ARGS...: starts build/default's bailan-demo-server with ARGS
# and waits until it serves; prints its first line.
demo_start_server() {
  build/default/tools/demo-server/bailan-demo-server "$@" >"$demo_work/server.log" 2>&1 &
  demo_pids+=($!)
  for _ in $(seq 100); do
    if grep -q '^demo server: http' "$demo_work/server.log"; then
      head -1 "$demo_work/server.log"
      return 0
    fi
    kill -0 "${demo_pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  cat "$demo_work/server.log" >&2
  return 1
}

# demo_start_xvfb: starts Xvfb on a free display and exports DISPLAY; Qt
# WebEngine also gets what it needs to run as root.
demo_start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo_work/display" >"$demo_work/xvfb.log" 2>&1 &
  demo_pids+=($!)
  for _ in $(seq 100); do
    [ -s "$demo_work/display" ] && break
    sleep 0.1
  done
  [ -s "$demo_work/display" ] || { cat "$demo_work/xvfb.log" >&2; return 1; }
  export DISPLAY=":$(head -1 "$demo_work/display")"
  [ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
}

# demo_installer: the path of the built installer program; empty when there is none.
demo_installer() {
  find build/default/src -name bailan-setup -type f -perm -u+x 2>/dev/null | head -1
}
