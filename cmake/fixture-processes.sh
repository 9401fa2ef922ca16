# shellcheck shell=bash
# Shell functions of the ctest fixtures that start processes of their own
# (wine-desktop.sh, tls-peer.sh): sourced by them, not run.

# is_ours PIDFILE NAME: the pid in PIDFILE, when that process still runs NAME.
is_ours() {
  local pid
  pid=$(cat "$1" 2>/dev/null) || return 1
  [ -n "$pid" ] && grep -qa -- "$2" "/proc/$pid/cmdline" 2>/dev/null && echo "$pid"
}

# end_ours PIDFILE NAME SECONDS: ends that process, waiting at most SECONDS.
end_ours() {
  local pid
  pid=$(is_ours "$1" "$2") || return 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq $(($3 * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
}

# end_watcher PIDFILE SCRIPT: ends the watcher that watch_starter left, unless
# it is the caller itself (the watcher calls stop).
end_watcher() {
  local pid
  if pid=$(is_ours "$1" "$(basename "$2")") && [ "$pid" != $$ ]; then kill "$pid" 2>/dev/null || true; fi
}

# watch_starter STARTER SECONDS SCRIPT DIR PIDFILE LOG: runs "SCRIPT stop DIR"
# once the process STARTER (ctest) is gone, polling every SECONDS, so that an
# interrupted run leaves nothing behind.
watch_starter() {
  setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep "$2"; done; exec "$3" stop "$4"' \
    "$(basename "$3")" "$1" "$2" "$3" "$4" </dev/null >>"$6" 2>&1 &
  echo $! >"$5"
}
