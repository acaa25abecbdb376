# Shared part of the wizard scenarios (sourced after wine-lib.sh and
# package-lib.sh; not a scenario itself).
#
#   wizard_scenario NAME        checks for the stand-in setup, the UI driver
#                               and xdotool (exit 77 without them), makes
#                               $WORK, a fresh prefix NAME without drive Z
#                               (the Tovu temp folder goes to C), an X
#                               display of its own and the trap that ends
#                               them; sets TITLE, TARGET, RECORD, XLOG, fail
#   wizard_payload              $WORK/payload: setup.exe and readme.txt
#   wizard_settings NAME [SED]  $WORK/NAME.ini: the fixture settings with the
#                               extraction folder C:\Install\Demo, setup.exe
#                               as the setup with /gui /exit=0, no OS and no
#                               administrator check, a fixed target; then SED
#   wizard_pack NAME ARGS...    tovupack build of $WORK/NAME.ini with the
#                               language file and the banners, then ARGS (the
#                               payload or cabinet, further entries), into
#                               C:\NAME.exe
#   control_line ID             the visible control ID of the sheet as listed
#                               (id, class, visible, enabled, checked, text);
#   visible_text, has_visible, no_visible, is_enabled ID; setup_runs (starts
#   the stand-in setup recorded); quiet CMD... (CMD without its output)

SETUP_EXE="$TOVU_BUILD_DIR/bin/win_test_setup.exe"

wizard_scenario() {
  local name=$1
  [ -f "$SETUP_EXE" ] && [ -f "$TOVU_BUILD_DIR/bin/ui_driver.exe" ] ||
    { echo "SKIP: no win_test_setup.exe or ui_driver.exe"; exit 77; }
  command -v xdotool >/dev/null || { echo "SKIP: no xdotool"; exit 77; }
  WORK=$(scenario_work "$name")
  GUI_WORK="$WORK/gui"
  source "$TOVU_SOURCE_DIR/tests/wine/gui-lib.sh"
  wine_fresh_prefix "$name"
  wine_remove_drive z
  gui_display || { echo "SKIP: no free X display"; exit 77; }
  trap 'gui_stop; wine_stop; rm -rf "$WORK"' EXIT
  fail=0
  TITLE="Demo Library V1.3"
  TARGET="$WINEPREFIX/drive_c/Install/Demo"
  RECORD="$WINEPREFIX/drive_c/record.txt"
  XLOG="$(dirname "$(master_log)")/Demo.txt"
  export TOVU_TEST_SETUP_RECORD='C:\record.txt'
  export WINEDEBUG=-all
}

wizard_payload() {
  mkdir -p "$WORK/payload"
  cp "$SETUP_EXE" "$WORK/payload/setup.exe"
  printf 'demo product\r\n' >"$WORK/payload/readme.txt"
}

wizard_settings() {
  sed -e 's/^ExtractPath=.*/ExtractPath=C:\\Install\\Demo/' -e 's/^NoOSCheck=.*/NoOSCheck=1/' \
    -e 's/^AutoLaunch=.*/AutoLaunch=setup.exe/' -e 's/^AllowChangeTarget=.*/AllowChangeTarget=0/' \
    -e 's/^CheckAdmin=.*/CheckAdmin=0/' -e 's/^LaunchEXEParams=.*/LaunchEXEParams=\/gui \/exit=0/' -e "${2:-}" \
    "$FIXTURES/Properties_Tovu.ini" >"$WORK/$1.ini"
}

wizard_pack() {
  local name=$1; shift
  tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/$name.ini" \
    --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
    "$@" --output "$WINEPREFIX/drive_c/$name.exe" >/dev/null
}

control_line() { ui list "$TITLE" 2>/dev/null | awk -F'\t' -v id="$1" '$1 == id && $3 == 1' | head -1; }
visible_text() { control_line "$1" | cut -f6-; }
has_visible() { [ -n "$(control_line "$1")" ]; }
no_visible() { [ -z "$(control_line "$1")" ]; }
is_enabled() { [ "$(control_line "$1" | cut -f4)" = 1 ]; }
setup_runs() { grep -c '^\[run\]' "$RECORD" 2>/dev/null || echo 0; }
quiet() { "$@" >/dev/null; }
