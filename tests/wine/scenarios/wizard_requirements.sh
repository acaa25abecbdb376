#!/usr/bin/env bash
# The extraction-requirements page as a person meets it: a package whose
# [Conditions] ask for a registry value the machine does not have shows
# the page with the texts of the requirements not met and Retry in place
# of Next. Retry while they still fail keeps the page; once the value is
# there (added with `wine reg add` meanwhile), Retry goes on, extracts and
# starts the stand-in setup, which records its start. Long texts are cut
# to their share of the list; the log keeps them whole. Pictures of the
# page are kept under the build's artifacts folder.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

source "$(dirname "$0")/../wizard-lib.sh"
wizard_scenario wizard_requirements
wizard_payload

# make_package NAME SED-SCRIPT: the fixture settings with the extraction
# folder C:\Install\Demo and setup.exe as the setup, edited by SED-SCRIPT.
make_package() {
  wizard_settings "$1" "$2"
  wizard_pack "$1" --payload "$WORK/payload"
}

reg() { "$WINE_BIN" reg "$@" >/dev/null 2>&1 || { echo "FAIL: wine reg $*"; fail=1; }; }
start_case() {
  rm -rf "$TARGET" "$RECORD"
  gui_start "C:\\$1.exe" -debug
}
# retry_keeps_page: Retry pressed while the requirements still fail; the
# page comes back with its texts.
retry_keeps_page() {
  ui click "$TITLE" 12324 >/dev/null &&
    ui wait-text "$TITLE" 1050 "$1" 20000 >/dev/null &&
    [ "$(visible_text 12324)" = "&Retry" ]
}

# ---- one requirement, the page after the welcome page ---------------------------
TOOL_KEY='HKLM\SOFTWARE\TovuRequiredTool'
make_package one 's/^Action1Condition=.*/Action1Condition=Condition1/;
  s/^Action1=.*/&\nAction1Message=MsgRequirements/;
  s/^Condition1=.*/Condition1={Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\TovuRequiredTool\\Version;{>=};{2.0};{MsgToolVersion}/;
  s/^\[Tovu\]/[AutoLaunch]\nReturnCode_0=success:{MsgDone}\n\n[Tovu]/;
  s/^MsgSupportedOS=.*/&\nMsgRequirements=Some requirements of this package are not met.\nMsgToolVersion=The required tool 2.0 or later is missing.\nMsgDone=The demo library is installed./'
start_case one
expect "the wizard opens on the welcome page" quiet ui wait-text "$TITLE" 1047 "Demo Library V1.3" 90000
ui click "$TITLE" 12324 >/dev/null
expect "Next shows the requirements page" \
  ui wait-text "$TITLE" 1041 "You must meet the following requirements" 30000
expect "its list names the requirements not met" [ "$(visible_text 1050)" = \
  'Some requirements of this package are not met.\nThe required tool 2.0 or later is missing.\n' ]
expect "Next reads '&Retry'" [ "$(visible_text 12324)" = "&Retry" ]
expect "Retry is enabled" is_enabled 12324
expect "Back is shown and enabled" is_enabled 12323
expect "Cancel is shown and enabled" is_enabled 2
shot=$(gui_shot wizard-requirements "$TITLE") && expect "the requirements page's picture is not blank" gui_shot_not_blank "$shot"
expect "Retry while the tool is missing keeps the page" retry_keeps_page "The required tool 2.0 or later is missing."
expect "the log has the condition message" grep -q "Condition Message.*The required tool 2.0 or later is missing." "$XLOG"
expect "nothing was extracted yet" [ ! -e "$TARGET" ]
reg add "$TOOL_KEY" /v Version /d 2.5 /reg:32 /f
ui click "$TITLE" 12324 >/dev/null
expect "Retry with the tool present extracts and installs" \
  ui wait-text "$TITLE" 1033 "Installation complete: Demo Library V1.3" 120000
gui_activate "$TITLE"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "the run ends with exit code 0" [ "$GUI_RC" = 0 ]
expect "the payload is in the extraction folder" [ -f "$TARGET/readme.txt" ]
expect "the setup ran once" [ "$(setup_runs)" = 1 ]
expect "no level-0 line" not_in_file "$XLOG" "|ERROR     |"
reg delete "$TOOL_KEY" /reg:32 /f

# ---- three long requirements, the page as the start page ----------------------------
# Each text is longer than its share of the list (550 / 3 - 15 = 168).
long_text() { printf '%s requirement:' "$1"; for i in $(seq 1 22); do printf ' word%02d' "$i"; done; }
A=$(long_text First) B=$(long_text Second) C=$(long_text Third)
expect "the texts are longer than their share" [ "${#A}" -gt 168 ]
make_package three "s/^WelcomeDialog=.*//;
  s/^\\[Dialogs\\]/&\\nWelcomeDialog=0/;
  s/^Action1Condition=.*/Action1Condition=(Condition1 and Condition2)/;
  s/^Action1=.*/&\\nAction1Message=MsgRequirements/;
  s/^Condition1=.*/Condition1={Registry};HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\TovuRequiredTool\\\\Version;{>=};{2.0};{MsgToolVersion}\\nCondition2={Registry};HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\TovuRequiredTool\\\\Build;{>=};{5};{MsgToolBuild}/;
  s/^MsgSupportedOS=.*/&\\nMsgRequirements=$A\\nMsgToolVersion=$B\\nMsgToolBuild=$C/"
start_case three
expect "the requirements page opens the wizard" \
  ui wait-text "$TITLE" 1041 "You must meet the following requirements" 90000
expect "each text is cut to 168 characters followed by '...'" [ "$(visible_text 1050)" = \
  "${A:0:168}...\\n${B:0:168}...\\n${C:0:168}...\\n" ]
expect "Retry reads '&Retry' on the start page" [ "$(visible_text 12324)" = "&Retry" ]
# The start page has nothing before it: Back stays hidden there.
expect "Back is hidden on the start page" no_visible 12323
expect "Cancel is enabled on the start page" is_enabled 2
shot=$(gui_shot wizard-requirements-cut "$TITLE") && expect "the cut texts' picture is not blank" gui_shot_not_blank "$shot"
expect "the log keeps the first text whole" grep -qF "$A" "$XLOG"
expect "the log keeps the last text whole" grep -qF "$C" "$XLOG"
# One of the two values: the other requirement still fails.
reg add "$TOOL_KEY" /v Version /d 2.5 /reg:32 /f
expect "Retry with one requirement left keeps the page" retry_keeps_page "${C:0:100}"
expect "and lists what is still missing, whole within the larger share" [ "$(visible_text 1050)" = "$A\\n$C\\n" ]
reg add "$TOOL_KEY" /v Build /d 7 /reg:32 /f
ui click "$TITLE" 12324 >/dev/null
expect "Retry on the start page goes on once all are met" \
  ui wait-text "$TITLE" 1033 "Demo Library V1.3" 120000
gui_activate "$TITLE"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "the start-page run extracts" [ -f "$TARGET/readme.txt" ]
expect "and starts the setup" [ "$(setup_runs)" = 1 ]
reg delete "$TOOL_KEY" /reg:32 /f

# ---- the start page of a package with a password --------------------------------------
# Without a welcome page the requirements page hands on to the extraction
# page, which asks for nothing: Retry asks for the password itself.
make_package password 's/^\[Dialogs\]/&\nWelcomeDialog=0/;
  s/^ExtractPasswordRequired=0/ExtractPasswordRequired=1\nExtractionPassword=Rshq#Vhvdph/;
  s/^\[FileCount\]/[Temporary]\nNumber=3\n\n[FileCount]/;
  s/^Action1Condition=.*/Action1Condition=Condition1/;
  s/^Condition1=.*/Condition1={Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\TovuRequiredTool\\Version;{>=};{2.0};{MsgToolVersion}/;
  s/^MsgSupportedOS=.*/&\nMsgToolVersion=The required tool 2.0 or later is missing./'
start_case password
expect "the password package opens on the requirements page" \
  ui wait-text "$TITLE" 1050 "The required tool 2.0 or later is missing." 90000
reg add "$TOOL_KEY" /v Version /d 2.5 /reg:32 /f
quiet ui click "$TITLE" 12324
expect "Retry with the tool present asks for the password" quiet ui wait-control "$TITLE" 1054 30000
expect "nothing is extracted before the password" [ ! -e "$TARGET" ]
quiet ui settext "$TITLE" 1054 "Open Sesame"
quiet ui click "$TITLE" 1
expect "the right password extracts and installs" ui wait-text "$TITLE" 1033 "Demo Library V1.3" 120000
gui_activate "$TITLE"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "the setup ran after the password" [ "$(setup_runs)" = 1 ]
expect "the log has the right password" grep -q "Password provided by user is correct" "$XLOG"
reg delete "$TOOL_KEY" /reg:32 /f

# ---- the settings changed after the start ------------------------------------------
start_case three
ui wait-text "$TITLE" 1041 "You must meet the following requirements" 90000 >/dev/null
settings=$(ls -d "$WINEPREFIX"/drive_c/\{*\}/Properties_Tovu.ini 2>/dev/null | head -1)
if [ -n "$settings" ]; then
  printf 'x' >>"$settings" 2>/dev/null || true
  ui click "$TITLE" 12324 >/dev/null
  expect "Retry with changed settings goes to the finish page" \
    ui wait-text "$TITLE" 1033 "An error occurred. Please check the log file." 30000
  ui click "$TITLE" 12325 >/dev/null
  gui_wait_exit 60
  expect "the log says the settings changed" grep -q "Settings have been corrupted. Please start the package again." "$XLOG"
  expect "nothing extracted after the change" [ ! -e "$TARGET" ]
else
  echo "FAIL: the unpacked settings file was not found"; fail=1
  gui_stop
fi

# ---- cancel on the page -------------------------------------------------------------
start_case three
ui wait-text "$TITLE" 1041 "You must meet the following requirements" 90000 >/dev/null
gui_key "$TITLE" Escape
expect "Esc asks whether to cancel" ui wait-text "$TITLE" 65535 "Do you really want to cancel?" 30000
ui msgbox-press "$TITLE" 6 >/dev/null
# The run is left unfinished (not cancelled as an extraction would be):
# the finish page reports an error.
expect "Yes ends on the finish page with the error text" \
  ui wait-text "$TITLE" 1033 "An error occurred. Please check the log file." 30000
shot=$(gui_shot wizard-requirements-cancelled "$TITLE") || true
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "Finish ends the run" [ "$GUI_RC" != 124 ]
expect "the log names no cancelled extraction" not_in_file "$XLOG" "User canceled the extraction process"
expect "nothing was extracted after the cancel" [ ! -e "$TARGET" ]
expect "no setup started after the cancel" [ "$(setup_runs)" = 0 ]

exit $fail
