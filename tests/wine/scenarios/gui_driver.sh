#!/usr/bin/env bash
# The GUI scenarios' tooling tried on a target program of its own
# (bin/ui_driver_target.exe, a dialog that records what it receives):
# ui_driver lists the dialog's controls with their true visible, enabled
# and check states, clicks the visible and enabled one of two twins,
# writes edit texts (UTF-8 through to the program) with the notification
# typing gives, sets the check box by clicking it, reads texts, finds the
# message box that shares the dialog's title, refuses to click the dialog
# behind it and answers it; real keys from xdotool (Tab, Return, Escape,
# space, alt+F4) reach the program; the pictures of the windows are kept
# and are not blank; the program's exit code comes back.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

for tool in Xvfb xdotool xwd xwdtopnm pnmtopng pngtopnm ppmhist; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
WORK=$(scenario_work gui_driver)
GUI_WORK="$WORK"
source "$(dirname "$0")/../gui-lib.sh"
wine_fresh_prefix gui_driver
gui_display || { echo "FAIL: no free X display"; exit 1; }
trap 'gui_stop; rm -rf "$WORK"' EXIT
fail=0

cp "$TOVU_BUILD_DIR/bin/ui_driver_target.exe" "$WINEPREFIX/drive_c/target.exe"
RECORD="$WINEPREFIX/drive_c/record.txt"
# One title for the dialog and its message box, outside ASCII.
T="Übung – Tovu 試験"

# recorded LINE: the target wrote LINE (within 30 s: posted messages and
# keys are handled when the program gets to them).
recorded() {
  local _
  for _ in $(seq 1 300); do
    grep -qxF -- "$1" "$RECORD" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "record so far:"; sed 's/^/  | /' "$RECORD" 2>/dev/null
  return 1
}
times_recorded() { grep -cxF -- "$1" "$RECORD" 2>/dev/null; }
fails() { ! "$@" 2>"$WORK/fails.err"; }
said() { grep -qF -- "$1" "$WORK/fails.err"; }
start_target() {
  rm -f "$RECORD"
  gui_start 'C:\target.exe' 'C:\record.txt' "$T"
  DIALOG=$(ui wait "$T" 60000) || { echo "FAIL: the target's window did not come up"; exit 1; }
}

# ---- keyboard: real key presses through X ---------------------------------
start_target
expect "keyboard: the dialog starts with the focus in the edit" recorded "focus 1003"
gui_type "$T" "Hi there"
expect "keyboard: typed text reaches the edit" recorded "edit Hi there"
# Each key, then the lines the dialog records for it (the record is
# emptied before each key: the program opens it anew for every line).
while IFS='|' read -r key lines; do
  : >"$RECORD"
  gui_key "$T" "$key"
  IFS=';' read -r -a wanted <<<"$lines"
  for line in "${wanted[@]}"; do
    expect "keyboard: $key gives '$line'" recorded "$line"
  done
done <<'KEYS'
Tab|key 0x09;focus 1004
space|key 0x20;check 1
Return|key 0x0d;ok
Escape|key 0x1b;cancel
alt+F4|syskey 0x73;close
KEYS
gui_wait_exit 60
expect "keyboard: the target exits with its code 3 after the close" [ "$GUI_RC" = 3 ]

# ---- the driver's commands --------------------------------------------------
start_target
ui list "$T" >"$WORK/list.txt"
# id, class, visible, enabled, checked, text
while IFS='|' read -r id class visible enabled checked text; do
  row=$(printf '%s\t%s\t%s\t%s\t%s\t%s' "$id" "$class" "$visible" "$enabled" "$checked" "$text")
  expect "list: $id '$text' visible=$visible enabled=$enabled checked=$checked" grep -qxF -- "$row" "$WORK/list.txt" ||
    sed 's/^/  | /' "$WORK/list.txt"
done <<'ROWS'
1001|Button|0|1|-|Go hidden
1001|Button|1|1|-|Go
1002|Button|1|0|-|Take disabled
1002|Button|1|1|-|Take
1003|Edit|1|1|-|
1004|Button|1|1|0|Agree
1005|Static|1|1|-|Ready\nsecond line
1|Button|1|1|-|OK
ROWS
ui windows >"$WORK/windows.txt"
expect "windows: the dialog with class, enabled flag and title" \
  grep -qxF -- "$(printf '%s\t#32770\t1\t%s' "$DIALOG" "$T")" "$WORK/windows.txt"
expect "a title outside ASCII is found also from the C locale" env LC_ALL=C GUI_WORK="$WORK" bash -c \
  'source "$1/wine-lib.sh"; source "$1/gui-lib.sh"; ui wait "$2" 30000' _ "$(dirname "$0")/.." "$T"
expect "list by hwnd: the same controls" [ "$(ui list "hwnd:$DIALOG")" = "$(cat "$WORK/list.txt")" ]

# Each command, then the line the target records for it.
while IFS='|' read -r what line; do
  eval "set -- $what"
  expect "ui $what: '$line'" ui "$@" && expect "ui $what: the target got '$line'" recorded "$line"
done <<'ACTIONS'
click "$T" 1001|click Go
click "$T" 1002|click Take
settext "$T" 1003 "héllo wörld"|edit héllo wörld
settext "$T" 1007 $'one\r\ntwo'|notes one\ntwo
check "$T" 1004 1|check 1
check "$T" 1004 0|check 0
click "$T" 1008|link
ACTIONS
expect "check of a box that shows the state already: no click" ui check "$T" 1004 0
expect "wait-text: the edit's text as the program holds it" ui wait-text "$T" 1003 "wörld" 30000
expect "wait-state: the box is unchecked" ui wait-state "$T" 1004 unchecked 30000
expect "wait-state: the hidden twin does not make 1001 'hidden'" fails ui wait-state "$T" 1001 hidden 1000
expect "text: the static text's two lines" [ "$(ui text "$T" 1005)" = $'Ready\nsecond line' ]
expect "wait: a title nobody has fails" fails ui wait "No such window" 1000
expect "wait: ... saying so" said 'no visible window "No such window"'
expect "click: a control id the window lacks fails" fails ui click "$T" 4242 1000
expect "unknown command: a usage error" fails ui frobnicate

# ---- a message box with the dialog's title ---------------------------------
for answer in 7 6; do
  ui click "$T" 1006
  box=$(ui wait-control "$T" 65535 30000)
  expect "message box: found by its static text, not the dialog" [ -n "$box" ] && [ "$box" != "$DIALOG" ]
  expect "message box: it has button $answer" [ "$(ui wait-control "$T" "$answer" 30000)" = "$box" ]
  if [ "$answer" = 7 ]; then
    ui list --all "$T" >"$WORK/all.txt"
    expect "list --all: a header for each of the two windows" [ "$(grep -c '^# ' "$WORK/all.txt")" = 2 ]
    expect "list --all: the message box first, then the disabled dialog" \
      [ "$(grep '^# ' "$WORK/all.txt" | cut -f1,3 | tr '\t\n' ' ')" = "# $box 1 # $DIALOG 0 " ]
    expect "click: the dialog behind the message box is refused" fails ui click "$T" 1001 2000
    expect "click: ... saying why" said "disabled window"
    shot=$(gui_shot gui-driver-msgbox "hwnd:$box")
    expect "picture of the message box kept" [ -s "$shot" ] && expect "... and not blank" gui_shot_not_blank "$shot"
    expect "msgbox-press: No" ui msgbox-press "$T" 7
  else
    # Yes is the default button: Return on the box answers it.
    gui_key "hwnd:$box" Return
  fi
  expect "message box: answered $answer" recorded "msgbox $answer"
  expect "message box: gone" ui wait-gone "hwnd:$box" 30000
done
expect "click: the dialog's button worked only while no box was open" [ "$(times_recorded "click Go")" = 1 ]

shot=$(gui_shot gui-driver-dialog "$T")
expect "picture of the dialog kept" [ -s "$shot" ] && expect "... and not blank" gui_shot_not_blank "$shot"
shot=$(gui_shot gui-driver-screen)
expect "picture of the screen kept" [ -s "$shot" ] && expect "... and not blank" gui_shot_not_blank "$shot"

expect "close: posted" ui close "$T"
expect "close: the target got it" recorded "close"
expect "close: the window is gone" ui wait-gone "$T" 30000
gui_wait_exit 60
expect "close: the target exits with its code 3" [ "$GUI_RC" = 3 ]
expect "no click reached the hidden twin" [ "$(times_recorded "click Go hidden")" = 0 ]
expect "no click reached the disabled twin" [ "$(times_recorded "click Take disabled")" = 0 ]
exit "$fail"
