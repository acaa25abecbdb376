# Wine harness shared by every test that runs Windows code.
# Source it; it needs TOVU_BUILD_DIR (the win64 build folder).
#
#   wine_base_prefix        path of the build folder's own prefix (made once)
#   wine_fresh_prefix NAME  copies the base prefix to a scratch prefix for a
#                           test that shapes drives or registry; exports
#                           WINEPREFIX to it
#   wine_add_drive L DIR [TYPE]   links drive L: to DIR; TYPE one of hd,
#                           cdrom, network, floppy (Wine's registry names)
#   wine_remove_drive L
#   wine_run EXE ARGS...    runs EXE under wine64 with a display, waits for
#                           the prefix's processes, returns EXE's exit code
#   wine_own_display FIRST LAST  starts an Xvfb server on the first free
#                           display number in FIRST..LAST, exports DISPLAY,
#                           sets XVFB_PID (0 when none was free)
#   wine_stop               ends the wineserver of a scratch prefix; the
#                           base prefix is shared by tests running in
#                           parallel and is never stopped by one of them

set -u
: "${TOVU_BUILD_DIR:?TOVU_BUILD_DIR must name the win64 build folder}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINE_BIN=${WINE_BIN:-wine}

wine_base_prefix() { echo "$TOVU_BUILD_DIR/wine/prefix"; }

# Creates the base prefix once per build folder, under a lock so that
# parallel tests wait for the first one.
wine_ensure_base() {
  local base; base=$(wine_base_prefix)
  mkdir -p "$TOVU_BUILD_DIR/wine"
  (
    flock 9
    if [ ! -f "$base/.tovu-ready" ]; then
      rm -rf "$base"
      WINEPREFIX="$base" "$WINE_BIN" wineboot -i >/dev/null 2>&1 || true
      WINEPREFIX="$base" wineserver -w
      touch "$base/.tovu-ready"
    fi
  ) 9>"$TOVU_BUILD_DIR/wine/.lock"
}

wine_fresh_prefix() {
  local name=$1
  wine_ensure_base
  local dir="$TOVU_BUILD_DIR/wine/scratch/$name"
  wine_stop
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  cp -a "$(wine_base_prefix)" "$dir"
  rm -f "$dir/.tovu-ready"
  export WINEPREFIX="$dir"
}

wine_add_drive() {
  local letter; letter=$(echo "$1" | tr 'A-Z' 'a-z')
  local target=$2 type=${3:-}
  rm -f "$WINEPREFIX/dosdevices/$letter:"
  ln -s "$target" "$WINEPREFIX/dosdevices/$letter:"
  if [ -n "$type" ]; then
    "$WINE_BIN" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "$type" /f >/dev/null 2>&1
    # The drive type is read when the wineserver starts.
    wineserver -k 2>/dev/null || true
    wineserver -w
  fi
}

wine_remove_drive() {
  local letter; letter=$(echo "$1" | tr 'A-Z' 'a-z')
  rm -f "$WINEPREFIX/dosdevices/$letter:" "$WINEPREFIX/dosdevices/$letter::"
}

# Every run of Windows code gets an X display: Wine creates no window
# without one, not even a hidden one.
wine_with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1024x768x24" "$@"
  fi
}

wine_own_display() {
  local n
  XVFB_PID=0
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      # Another test may have taken the number between the check and the
      # start: then this server ends at once, and the next number is tried.
      for _ in $(seq 1 100); do
        kill -0 "$XVFB_PID" 2>/dev/null || break
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
      done
      kill "$XVFB_PID" 2>/dev/null
      XVFB_PID=0
    fi
  done
  return 1
}

wine_run() {
  if [ -z "${WINEPREFIX:-}" ]; then
    wine_ensure_base
    export WINEPREFIX; WINEPREFIX=$(wine_base_prefix)
  fi
  local rc=0
  wine_with_display "$WINE_BIN" "$@" || rc=$?
  # Files written by the program are complete only when its prefix is idle.
  wineserver -w
  return $rc
}

wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
  # Killing the base prefix's server would end the programs of every other
  # test that runs in it at the same time.
  [ "$(cd "$WINEPREFIX" && pwd -P)" = "$(cd "$(wine_base_prefix)" 2>/dev/null && pwd -P)" ] && return 0
  wineserver -k 2>/dev/null || true
}
