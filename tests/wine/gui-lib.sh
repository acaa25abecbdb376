# Helpers of the GUI scenarios: a program's windows on an X display of the
# scenario's own, driven from outside as a person would (sourced after
# wine-lib.sh; needs bin/ui_driver.exe of the win64 build).
#
#   gui_display             starts an Xvfb of this scenario's own (display
#                           :150..:189), exports DISPLAY; GUI_XVFB_PID
#   gui_start EXE ARGS...   starts EXE under wine in the background, output
#                           to $GUI_WORK/gui-start.out; GUI_PID. It and ui
#                           pass arguments outside ASCII intact also when
#                           the caller's locale is C (see gui_utf8)
#   gui_wait_exit [TIMEOUT] waits up to TIMEOUT seconds (default 60) for that
#                           program; returns and sets GUI_RC to its exit
#                           code, 124 (and the program killed) on timeout
#   ui CMD ARGS...          runs bin/ui_driver.exe CMD ARGS... in the same
#                           prefix and display; its stdout to stdout, its
#                           stderr to stderr, its exit code returned
#   gui_xid TITLE|hwnd:0xN  the X window that shows that Windows window
#   gui_key TITLE KEY...    focuses that window's X window and types each
#                           KEY (xdotool key names: Return, Escape, Tab,
#                           space, alt+F4) as real keyboard input
#   gui_type TITLE TEXT     focuses that window's X window and types TEXT
#                           into its focused control (ASCII)
#   gui_shot NAME [TITLE]   picture of the window (of the whole screen
#                           without TITLE) as $TOVU_BUILD_DIR/wine/artifacts/
#                           NAME.png; prints the file's path
#   gui_shot_not_blank FILE [N]  fails unless the picture has at least N
#                           (default 8) distinct colours
#   gui_stop                ends the started program if it still runs, the
#                           scratch prefix's server and the Xvfb (and
#                           removes GUI_WORK when it was not given)
#
# Keyboard input under Xvfb, which runs no window manager: the X input
# focus starts as PointerRoot, so keys go to whatever window lies under the
# pointer; xdotool windowactivate needs a window manager (_NET_ACTIVE_WINDOW)
# and fails. gui_key and gui_type therefore give the X focus to the window
# with windowfocus --sync and send XTEST key events, as a keyboard would;
# Wine makes that window its active window and hands the keys to its
# focused control (Return to the default button, Escape to IDCANCEL, Tab
# to the next control, alt+F4 closes).

GUI_OWN_WORK=""
[ -n "${GUI_WORK:-}" ] || { GUI_WORK="$TOVU_BUILD_DIR/wine/scratch/gui.$$"; GUI_OWN_WORK=1; }
GUI_ARTIFACTS="$TOVU_BUILD_DIR/wine/artifacts"
GUI_PID=""
GUI_RC=""
GUI_XVFB_PID=0
mkdir -p "$GUI_WORK" "$GUI_ARTIFACTS"

gui_display() {
  # Other GUI scenarios take numbers from 140 up; a number somebody took
  # between the check and the start makes wine_own_display try the next.
  wine_own_display 150 189 || return 1
  GUI_XVFB_PID=$XVFB_PID
}

gui_ensure_prefix() {
  if [ -z "${WINEPREFIX:-}" ]; then
    wine_ensure_base
    export WINEPREFIX; WINEPREFIX=$(wine_base_prefix)
  fi
}

# Wine turns the Unix arguments into UTF-16 by the locale's character set:
# under the C locale every byte outside ASCII is lost. A locale of UTF-8 is
# kept as it is; any other is replaced by C.UTF-8 for the Windows program.
gui_utf8() {
  if [ "$(locale charmap 2>/dev/null)" = UTF-8 ]; then
    "$@"
  else
    LC_ALL=C.UTF-8 "$@"
  fi
}

gui_start() {
  gui_ensure_prefix
  # Output to a file, never to a pipe: the first wine of a prefix starts
  # the wineserver, which keeps the output it inherited open.
  gui_utf8 "$WINE_BIN" "$@" >"$GUI_WORK/gui-start.out" 2>&1 &
  GUI_PID=$!
  GUI_RC=""
}

gui_wait_exit() {
  local timeout=${1:-60} waited=0
  [ -n "$GUI_PID" ] || { echo "gui_wait_exit: no program started" >&2; return 1; }
  while kill -0 "$GUI_PID" 2>/dev/null && [ "$waited" -lt $((timeout * 10)) ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$GUI_PID" 2>/dev/null; then
    echo "gui_wait_exit: program still running after ${timeout} s, killed" >&2
    kill "$GUI_PID" 2>/dev/null
    wait "$GUI_PID" 2>/dev/null
    # Killing the starter leaves the Windows process running; a scratch
    # prefix's server ends it, so that the next case starts afresh.
    wine_stop
    GUI_PID=""
    GUI_RC=124
    return 124
  fi
  GUI_RC=0
  wait "$GUI_PID" || GUI_RC=$?
  GUI_PID=""
  return "$GUI_RC"
}

ui() {
  gui_ensure_prefix
  local out="$GUI_WORK/ui.out" err="$GUI_WORK/ui.err" rc=0
  gui_utf8 "$WINE_BIN" "$TOVU_BUILD_DIR/bin/ui_driver.exe" "$@" >"$out" 2>"$err" </dev/null || rc=$?
  cat "$out"
  cat "$err" >&2
  return "$rc"
}

gui_xid() {
  local xid
  xid=$(ui xid "$1") && [ -n "$xid" ] && { echo "$xid"; return 0; }
  # Without the driver's answer: the viewable X window of that name.
  case "$1" in hwnd:*) return 1 ;; esac
  local pattern
  pattern=$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|/]/\\&/g')
  xid=$(xdotool search --onlyvisible --name "^${pattern}\$" 2>/dev/null | head -n 1)
  [ -n "$xid" ] && echo "$xid"
}

gui_key() {
  local title=$1; shift
  local xid key
  xid=$(gui_xid "$title") || { echo "gui_key: no X window for '$title'" >&2; return 1; }
  xdotool windowfocus --sync "$xid" || { echo "gui_key: could not focus $xid" >&2; return 1; }
  for key in "$@"; do
    xdotool key --clearmodifiers "$key" || return 1
    # One key at a time, as a person types: Wine reads them in order.
    sleep 0.2
  done
}

# gui_activate TITLE: a person's click into a corner of the window (2, 2),
# where the wizard and message boxes have no control. A window that Wine
# hid and showed again while it held the X focus gets keyboard input again
# only after such a click (seen with Wine 8 on Xvfb: the keys reached no
# window of the program although the X focus was on it).
gui_activate() {
  local xid
  xid=$(gui_xid "$1") || { echo "gui_activate: no X window for '$1'" >&2; return 1; }
  xdotool mousemove --window "$xid" 2 2 click 1 || return 1
  sleep 0.3
}

gui_type() {
  local xid
  xid=$(gui_xid "$1") || { echo "gui_type: no X window for '$1'" >&2; return 1; }
  xdotool windowfocus --sync "$xid" || { echo "gui_type: could not focus $xid" >&2; return 1; }
  xdotool type --clearmodifiers --delay 100 -- "$2"
}

gui_shot() {
  local name=$1 title=${2:-} file="$GUI_ARTIFACTS/$1.png" source xid
  if [ -n "$title" ]; then
    xid=$(gui_xid "$title") || { echo "gui_shot: no X window for '$title'" >&2; return 1; }
    source=(-id "$xid")
  else
    source=(-root)
  fi
  # A window that has just appeared may not be painted yet on a loaded
  # machine: a picture of one flat colour is taken again, a few times.
  local try
  for try in 1 2 3 4 5 6; do
    rm -f "$file"
    if ! xwd "${source[@]}" -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$file" 2>/dev/null ||
       [ ! -s "$file" ]; then
      echo "gui_shot: no picture of ${title:-the screen}" >&2
      rm -f "$file"
      return 1
    fi
    gui_shot_not_blank "$file" 2 2>/dev/null && break
    sleep 1
  done
  echo "$file"
}

gui_shot_not_blank() {
  local file=$1 least=${2:-8} colours
  colours=$(pngtopnm "$file" 2>/dev/null | ppmhist -noheader 2>/dev/null | wc -l)
  if [ "$colours" -lt "$least" ]; then
    echo "gui_shot_not_blank: $file has $colours colours, fewer than $least" >&2
    return 1
  fi
}

gui_stop() {
  if [ -n "$GUI_PID" ] && kill -0 "$GUI_PID" 2>/dev/null; then
    kill "$GUI_PID" 2>/dev/null
    wait "$GUI_PID" 2>/dev/null
  fi
  GUI_PID=""
  wine_stop
  [ "$GUI_XVFB_PID" != 0 ] && kill "$GUI_XVFB_PID" 2>/dev/null
  GUI_XVFB_PID=0
  [ -n "$GUI_OWN_WORK" ] && rm -rf "$GUI_WORK"
  return 0
}
