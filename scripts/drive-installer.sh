#!/usr/bin/env bash
# Drives the installer as a person would, on the X display in $DISPLAY (Xvfb,
# no window manager needed): confirms the start-up warning, clicks install,
# waits for "安装完成！" and confirms it, then waits for the program to end.
#   scripts/drive-installer.sh INSTALLER [SCREENSHOT_FOLDER]
# With a screenshot folder, page1.png, page2.png and page3.png are saved there.
# The installer uses its built-in server address and its default install folder
# ($HOME/柏岚软件); the caller sets HOME, TEMP and starts the server. The installer
# runs on the X platform whatever QT_QPA_PLATFORM the caller has exported.
# Windows are found by their whole title, as the user reads it.
# With DRIVE_EXPECT_ERROR=1 the install click must instead end in the error box
# (a refused manifest): it is confirmed (screenshot refused.png), the installer
# must end, and its output is printed on stdout.
# Exit 0 when the installer ran to its end; otherwise 1 with the reason on stderr.
# With DRIVE_EXPECT_INCOMPLETE=SECONDS the installation must not complete (a job
# fails): for SECONDS after the install click neither the completion box nor an
# error box may appear and the installer must keep running on page 2; then
# incomplete.png is saved, the installer is ended, and the exit is 0.
set -euo pipefail
installer="$1"
shots="${2:-}"

readonly WAIT_SECONDS=60           # the longest any one step may take
readonly INSTALL_X=508 INSTALL_Y=316  # the install picture's middle, in window coordinates
readonly MAIN='^柏岚安装程序$'       # the installer window's title

log=$(mktemp)
fail() {
  echo "drive-installer: $*" >&2
  # What the screen showed, for the one who reads the failure.
  [ -z "$shots" ] || import -silent -window root "$shots/failure.png" 2>/dev/null || true
  echo "the installer's output (last lines):" >&2
  tail -20 "$log" >&2
  exit 1
}

# wait_window REGEX: the id of the first visible window whose name matches
# (anchor it at both ends to match a whole title).
wait_window() {
  local id
  for _ in $(seq $((WAIT_SECONDS * 5))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || fail "the installer ended while waiting for a window named '$1'"
    sleep 0.2
  done
  fail "no window named '$1' within ${WAIT_SECONDS}s"
}

# confirm ID: presses Return in message box ID and waits until it has gone.
confirm() {
  xdotool windowfocus --sync "$1" key Return
  for _ in $(seq $((WAIT_SECONDS * 5))); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.2
  done
  fail "a message box did not close"
}

# main_geometry: sets X, Y, WIDTH and HEIGHT to the installer window's place on
# the screen. The window system may give the window a new native window once it
# is shown in full (the web view joins it), so it is looked up afresh each time.
main_geometry() {
  local shell id
  for _ in $(seq 50); do
    # wait_window reports its own failure; it must end the drive, not one more round.
    id=$(wait_window "$MAIN") || exit 1
    shell=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null) && eval "$shell" && return 0
    sleep 0.1
  done
  fail "cannot find the installer window's place"
}

# shot NAME: saves the screen area of the installer window (with what lies over it).
shot() {
  [ -n "$shots" ] || return 0
  local X Y WIDTH HEIGHT SCREEN WINDOW
  main_geometry
  import -silent -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/$1"
}

# wait_end WHAT: waits until the installer has ended by itself after WHAT.
wait_end() {
  for _ in $(seq $((WAIT_SECONDS * 5))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$pid" 2>/dev/null && fail "the installer did not end after $1"
  wait "$pid" || fail "the installer exited with status $?"
}

[ -x "$installer" ] || fail "no installer at $installer"
[ -z "$shots" ] || mkdir -p "$shots"
QT_QPA_PLATFORM=xcb "$installer" >"$log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -f "$log"' EXIT
trap 'exit 1' TERM INT HUP  # so that the exit trap ends the installer then too

confirm "$(wait_window '^必读提示$')"
sleep 1.5  # the first paints after the box
shot page1.png

main_geometry
xdotool mousemove "$((X + INSTALL_X))" "$((Y + INSTALL_Y))" click 1
if [ "${DRIVE_EXPECT_ERROR:-}" = 1 ]; then
  error_box=$(wait_window '^错误$')
  sleep 0.5
  shot refused.png
  confirm "$error_box"
  wait_end "the error box"
  echo "drive-installer: the installer reported the error and ended; its output:"
  cat "$log"
  exit 0
fi
sleep 1.5
if xdotool search --onlyvisible --name '^错误$' >/dev/null 2>&1; then
  fail "the installer reported an error (is the demo server running?)"
fi
shot page2.png

if [ -n "${DRIVE_EXPECT_INCOMPLETE:-}" ]; then
  for _ in $(seq $((DRIVE_EXPECT_INCOMPLETE * 5))); do
    if xdotool search --onlyvisible --name '^柏岚软件$' >/dev/null 2>&1; then
      fail "the installation completed although it should not"
    fi
    if xdotool search --onlyvisible --name '^错误$' >/dev/null 2>&1; then
      fail "the installer reported an error box"
    fi
    kill -0 "$pid" 2>/dev/null || fail "the installer ended on its own"
    sleep 0.2
  done
  shot incomplete.png
  echo "drive-installer: installation incomplete after ${DRIVE_EXPECT_INCOMPLETE}s, as expected"
  exit 0
fi

done_box=$(wait_window '^柏岚软件$')
sleep 0.5
shot page3.png
confirm "$done_box"
wait_end "the completion box"
echo "drive-installer: installation complete"
