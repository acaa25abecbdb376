#!/usr/bin/env bash
# The GUI run as a person walks through it: a package started without
# arguments shows its wizard, is driven by real keys and by presses of its
# buttons, and ends where its pages say. Each case is a package built by
# tovupack around a stand-in setup that records every start. Pictures of
# the pages are kept under the build's artifacts folder.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

source "$(dirname "$0")/../wizard-lib.sh"
wizard_scenario wizard_run
wizard_payload
mkdir -p "$WORK/payload/docs"
printf 'manual\r\n' >"$WORK/payload/docs/manual.txt"

# make_package NAME [SED-SCRIPT]: a package of the payload.
make_package() {
  wizard_settings "$1" "${2:-}"
  wizard_pack "$1" --payload "$WORK/payload"
}

start_case() {
  rm -rf "$TARGET" "$RECORD"
  gui_start "C:\\$1.exe"
}

# ---- the default path -----------------------------------------------------
# The setup's 0 is configured as success, so the finish page reports a
# complete installation (an unconfigured code only says it finished).
make_package default 's/^\[Tovu\]/[AutoLaunch]\nReturnCode_0=success:{MsgDone}\n\n[Tovu]/;
  s/^MsgSupportedOS=.*/&\nMsgDone=The demo library is installed./'
start_case default
expect "the wizard opens with the package's name" quiet ui wait-control "$TITLE" 12324 90000 >/dev/null
expect "Next reads '&Next >'" [ "$(visible_text 12324)" = "&Next >" ]
expect "Next is enabled" is_enabled 12324
expect "Cancel reads '&Cancel' and is enabled" [ "$(visible_text 2)" = "&Cancel" ]
expect "Back is hidden on the welcome page" no_visible 12323
expect "the welcome text names the package" ui wait-text "$TITLE" 1047 "Demo Library V1.3" 20000
shot=$(gui_shot wizard-welcome "$TITLE") && expect "the welcome page's picture is not blank" gui_shot_not_blank "$shot"
gui_key "$TITLE" Return
expect "Enter extracts and installs: the finish page" \
  ui wait-text "$TITLE" 1033 "Installation complete: Demo Library V1.3" 120000
expect "the configured success text is shown below it" ui wait-text "$TITLE" 1061 "The demo library is installed." 20000
expect "Finish reads 'Finish (&z)'" [ "$(visible_text 12325)" = "Finish (&z)" ]
expect "Cancel is gone on the finish page" no_visible 2
shot=$(gui_shot wizard-finish-success "$TITLE") && expect "the finish page's picture is not blank" gui_shot_not_blank "$shot"
# The sheet was hidden while the setup ran: the user clicks it first.
gui_activate "$TITLE"
gui_key "$TITLE" Return
gui_wait_exit 60
expect "Finish ends the run with exit code 0" [ "$GUI_RC" = 0 ]
expect "the payload is in the extraction folder" [ -f "$TARGET/readme.txt" ]
expect "sub-folders of the payload too" [ -f "$TARGET/docs/manual.txt" ]
expect "the setup ran once" [ "$(setup_runs)" = 1 ]
expect "the setup got the language's parameters" grep -q '/gui /exit=0' "$RECORD"
expect_lines_in_order "$XLOG" "Setuptype*Classic" "Extracting the Setup to : C:\\Install\\Demo" \
  "Return Code for cab extraction : 0" "Launching - " "Return code of - *setup.exe is 0"
expect "no level-0 line" not_in_file "$XLOG" "|ERROR     |"

# ---- cancel on the welcome page ---------------------------------------------
start_case default
ui wait-control "$TITLE" 12324 90000 >/dev/null
gui_key "$TITLE" Escape
expect "Esc asks whether to cancel" ui wait-text "$TITLE" 65535 "Do you really want to cancel?" 30000
shot=$(gui_shot wizard-cancel-question) || true
ui msgbox-press "$TITLE" 6 >/dev/null
expect "Yes shows the cancellation on the finish page" \
  ui wait-text "$TITLE" 1033 "The extraction of Demo Library V1.3 has been cancelled." 30000
shot=$(gui_shot wizard-finish-cancelled "$TITLE") && expect "the cancelled finish page is not blank" gui_shot_not_blank "$shot"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "Finish ends the cancelled run with exit code 0" [ "$GUI_RC" = 0 ]
expect "the log says who cancelled" grep -q "User canceled the Welcome Dialog" "$XLOG"
expect "nothing was extracted" [ ! -e "$TARGET" ]
expect "no setup started" [ "$(setup_runs)" = 0 ]

# ---- Esc answered No: the wizard stays --------------------------------------
start_case default
ui wait-control "$TITLE" 12324 90000 >/dev/null
gui_key "$TITLE" Escape
ui wait-text "$TITLE" 65535 "Do you really want to cancel?" 30000 >/dev/null
ui msgbox-press "$TITLE" 7 >/dev/null
expect "No keeps the welcome page" ui wait-state "$TITLE" 12324 enabled 20000
ui click "$TITLE" 12324 >/dev/null
expect "Next then runs to the finish page" ui wait-text "$TITLE" 1033 "Installation complete" 120000
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "exit code 0 after No and Next" [ "$GUI_RC" = 0 ]
expect "the setup ran once after No" [ "$(setup_runs)" = 1 ]

# ---- a corrupt cabinet ---------------------------------------------------------
make_package corrupt ''
size=$(file_size "$WINEPREFIX/drive_c/corrupt.exe")
# Bytes in the middle of the cabinet (the container's last entry).
printf 'XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX' | dd of="$WINEPREFIX/drive_c/corrupt.exe" bs=1 seek=$((size - 2000)) conv=notrunc status=none
start_case corrupt
ui wait-control "$TITLE" 12324 90000 >/dev/null
ui click "$TITLE" 12324 >/dev/null
expect "a damaged cabinet ends on the error text" ui wait-text "$TITLE" 1033 "Please check the log file." 120000
shot=$(gui_shot wizard-finish-error "$TITLE") && expect "the error finish page is not blank" gui_shot_not_blank "$shot"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "a failed extraction exits non-zero" [ "$GUI_RC" != 0 ]
expect "no setup started after the damaged cabinet" [ "$(setup_runs)" = 0 ]
expect "the log has a level-0 line" grep -q "|ERROR     |" "$XLOG"

# ---- the settings changed after the start ----------------------------------------
start_case default
ui wait-control "$TITLE" 12324 90000 >/dev/null
settings=$(ls -d "$WINEPREFIX"/drive_c/\{*\}/Properties_Tovu.ini 2>/dev/null | head -1)
if [ -n "$settings" ]; then
  printf 'x' >>"$settings" 2>/dev/null || true
  ui click "$TITLE" 12324 >/dev/null
  expect "changed settings send the user to the finish page" quiet ui wait-control "$TITLE" 12325 30000
  ui click "$TITLE" 12325 >/dev/null
  gui_wait_exit 60
  expect "the log says the settings changed" grep -q "Settings have been corrupted. Please start the package again." "$XLOG"
  expect "nothing extracted after the change" [ ! -e "$TARGET/readme.txt" ]
else
  echo "FAIL: the unpacked settings file was not found"; fail=1
  gui_stop
fi

exit $fail
