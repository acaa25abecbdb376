#!/usr/bin/env bash
# The extraction-folder page of the GUI run, each case a package built by
# tovupack around a stand-in setup that records its starts: a folder typed
# with an environment variable is where the payload lands; invalid folders
# are refused with the validator's message and the page stays; a folder
# that is not empty brings up the folder-contents question (No keeps the
# page, Yes goes on, Cancel ends on the finish page); extracting only
# starts no setup; deleting on exit leaves nothing of the payload, except
# a folder that the setup wrote a file of its own into. Pictures of the
# page and the question are kept under the build's artifacts folder.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

source "$(dirname "$0")/../wizard-lib.sh"
wizard_scenario wizard_folder
wizard_payload
mkdir -p "$WORK/payload/docs"
printf 'manual\r\n' >"$WORK/payload/docs/manual.txt"

# make_package NAME SED-SCRIPT: the folder page is offered (AllowChangeTarget).
make_package() {
  wizard_settings "$1" 's/^AllowChangeTarget=.*/AllowChangeTarget=1/'"
$2"
  wizard_pack "$1" --payload "$WORK/payload"
}
setup_runs() { grep -c '^\[run\]' "$1" 2>/dev/null || echo 0; }
# start_case NAME: the welcome page, then Next to the folder page.
start_case() {
  rm -rf "$TARGET" "$RECORD"
  gui_start "C:\\$1.exe"
  quiet ui wait-control "$TITLE" 12324 90000
  quiet ui click "$TITLE" 12324
  quiet ui wait-control "$TITLE" 1000 60000
}
next_on_folder_page() {
  quiet ui wait-state "$TITLE" 12324 enabled 20000
  quiet ui click "$TITLE" 12324
}
finish_run() {  # WHAT EXIT
  quiet ui click "$TITLE" 12325
  gui_wait_exit 60
  expect "$1: exit code $2" [ "$GUI_RC" = "$2" ]
}
finish_text() { ui wait-text "$TITLE" 1033 "$1" 120000 >/dev/null; }

# ---- a typed path with %TEMP%; invalid paths first ---------------------------------
make_package typed ''
start_case typed
expect "the page shows the package's folder" ui wait-text "$TITLE" 1000 'C:\Install\Demo' 20000
expect "the page shows its Browse button" ui wait-state "$TITLE" 1001 enabled 20000
expect "the heading is the folder text" ui wait-text "$TITLE" 1003 "Please enter the folder" 10000
expect "a package with a setup offers to extract only" ui wait-state "$TITLE" 1036 visible 10000
expect "a frame setup is not offered the delete-on-exit box" ui wait-state "$TITLE" 1043 hidden 10000
shot=$(gui_shot wizard-folder "$TITLE") && expect "the folder page's picture is not blank" gui_shot_not_blank "$shot"
# The folder picker: its texts; Cancel keeps the box, OK puts the folder
# selected in the picker into it.
PICKER="Browse for folder"
# From Next, Tab reaches the extract-only box, then Browse; Enter there
# opens the picker, as a click does.
gui_key "$TITLE" Tab
sleep 1
gui_key "$TITLE" Tab
sleep 1
gui_key "$TITLE" Return
expect "Tab to Browse and Enter open the folder picker" quiet ui wait "$PICKER" 30000
quiet ui click "$PICKER" 2
quiet ui wait-gone "$PICKER" 20000
quiet ui click "$TITLE" 1001
expect "Browse opens the folder picker under its caption" quiet ui wait "$PICKER" 30000
picker=$(ui list "$PICKER" 2>/dev/null)
expect "the picker shows its title" grep -q "Pick a directory" <<<"$picker"
expect "and its own OK and Cancel texts" bash -c 'grep -q "^1	Button	1	.*&OK" <<<"$1" && grep -q "^2	Button	1	.*&Cancel" <<<"$1"' _ "$picker"
shot=$(gui_shot wizard-folder-picker "$PICKER") || true
quiet ui click "$PICKER" 2
expect "Cancel closes the picker" quiet ui wait-gone "$PICKER" 20000
expect "and keeps the folder" ui wait-text "$TITLE" 1000 'C:\Install\Demo' 10000
quiet ui click "$TITLE" 1001
quiet ui wait "$PICKER" 30000
quiet ui click "$PICKER" 1
quiet ui wait-gone "$PICKER" 20000
# Wine's picker opens on the desktop, a real folder of the user's.
picked=$(ui text "$TITLE" 1000 2>/dev/null)
is_desktop() { [[ "$1" == 'C:\users\'*'\Desktop' ]]; }
expect "OK puts the picked folder into the box ($picked)" is_desktop "$picked"
long='C:\'$(printf 'd%.0s' $(seq 1 300))
# Bad characters, a device name, too long, a drive that is not there, a
# file where a folder would have to be.
for bad in 'C:\Install\a<b>' 'C:\Install\CON' "$long" 'Q:\Demo' 'C:\typed.exe\Demo'; do
  quiet ui settext "$TITLE" 1000 "$bad"
  next_on_folder_page
  expect "the folder '${bad:0:20}...' is refused with a message" quiet ui wait-control "$TITLE" 65535 30000
  quiet ui msgbox-press "$TITLE" 1
  expect "and the folder page stays" ui wait-text "$TITLE" 1000 "${bad:0:12}" 20000
done
quiet ui settext "$TITLE" 1000 '%TEMP%\FolderDemo'
next_on_folder_page
expect "the typed folder ends on the finish page" finish_text "$TITLE"
finish_run "typed folder" 0
landed=$(find "$WINEPREFIX/drive_c/users" -path '*FolderDemo/readme.txt' 2>/dev/null | head -1)
expect "the payload is in the folder typed with %TEMP%" [ -n "$landed" ]
expect "the folder's subfolder too" [ -f "$(dirname "$landed")/docs/manual.txt" ]
expect "nothing went to the package's own folder" [ ! -e "$TARGET" ]
expect "the setup ran once" [ "$(setup_runs "$RECORD")" = 1 ]

# ---- a folder that is not empty: No, then Yes ----------------------------------------
make_package nonempty ''
start_case nonempty
mkdir -p "$TARGET" && printf 'old\r\n' >"$TARGET/old.txt"
next_on_folder_page
expect "a folder with contents brings up the question" quiet ui wait-control "$TITLE" 1070 30000
expect "it names the folder" ui wait-text "$TITLE" 1069 'Install\Demo' 10000
shot=$(gui_shot wizard-folder-contents "$TITLE") && expect "the question's picture is not blank" gui_shot_not_blank "$shot"
quiet ui click "$TITLE" 1028
expect "No keeps the folder page" quiet ui wait-control "$TITLE" 1000 20000
expect "with Browse usable again" ui wait-state "$TITLE" 1001 enabled 20000
expect "nothing was extracted after No" [ ! -e "$TARGET/readme.txt" ]
next_on_folder_page
expect "Next asks again" quiet ui wait-control "$TITLE" 1070 30000
quiet ui click "$TITLE" 1024
expect "Yes goes on to the finish page" finish_text "$TITLE"
finish_run "folder with contents" 0
expect "the payload is extracted after Yes" [ -f "$TARGET/readme.txt" ]
expect "the log has both answers" grep -q "User Clicked on 'No' button" "$XLOG"

# ---- a folder that is not empty: Cancel -------------------------------------------------
make_package cancelled ''
start_case cancelled
mkdir -p "$TARGET" && printf 'old\r\n' >"$TARGET/old.txt"
next_on_folder_page
quiet ui wait-control "$TITLE" 1070 30000
quiet ui click "$TITLE" 2
expect "Cancel asks for the confirmation" quiet ui wait-control "$TITLE" 65535 30000
quiet ui msgbox-press "$TITLE" 6
expect "a confirmed cancel ends on the finish page" finish_text "cancelled"
sleep 2
expect "and stays there" ui wait-text "$TITLE" 1033 "cancelled" 5000
finish_run "cancelled at the question" 0
expect "nothing was extracted after the cancel" [ ! -e "$TARGET/readme.txt" ]
expect "no setup started after the cancel" [ "$(setup_runs "$RECORD")" = 0 ]

# ---- extract only ------------------------------------------------------------------------
make_package extractonly 's/^Rahmensetup=.*/Rahmensetup=0/'
start_case extractonly
expect "the delete-on-exit box is offered here" ui wait-state "$TITLE" 1043 visible 20000
quiet ui check "$TITLE" 1043 1
quiet ui check "$TITLE" 1036 1
expect "extracting only hides the delete-on-exit box" ui wait-state "$TITLE" 1043 hidden 10000
quiet ui check "$TITLE" 1036 0
expect "unticking brings it back" ui wait-state "$TITLE" 1043 visible 10000
expect "cleared" ui wait-state "$TITLE" 1043 unchecked 10000
quiet ui check "$TITLE" 1036 1
next_on_folder_page
expect "the finish page says the extraction succeeded" finish_text "Extraction successful for Demo Library V1.3"
finish_run "extract only" 0
expect "the payload is extracted" [ -f "$TARGET/readme.txt" ]
expect "and stays after the run" [ -f "$TARGET/docs/manual.txt" ]
expect "no setup started" [ "$(setup_runs "$RECORD")" = 0 ]

# ---- delete on exit ---------------------------------------------------------------------
# The extraction creates the folder: it goes with everything in it.
make_package deleteonexit 's/^Rahmensetup=.*/Rahmensetup=0/'
start_case deleteonexit
quiet ui check "$TITLE" 1043 1
expect "the box is ticked" ui wait-state "$TITLE" 1043 checked 10000
shot=$(gui_shot wizard-folder-delete "$TITLE") || true
next_on_folder_page
expect "the run ends on the finish page" finish_text "$TITLE"
finish_run "delete on exit" 0
expect "the setup ran" [ "$(setup_runs "$RECORD")" = 1 ]
expect "nothing of the payload is left" [ ! -e "$TARGET" ]
expect "the log says the user chose it" grep -q "Delete extracted file on delete is enabled by user" "$XLOG"

# An empty folder that was there before: the setup writes its record into
# an extracted subfolder, which keeps the file (and so stays); every file
# of the payload goes.
OWN_RECORD="$TARGET/docs/record.txt"
export TOVU_TEST_SETUP_RECORD='C:\Install\Demo\docs\record.txt'
rm -rf "$TARGET" && mkdir -p "$TARGET"
gui_start 'C:\deleteonexit.exe'
quiet ui wait-control "$TITLE" 12324 90000
quiet ui click "$TITLE" 12324
quiet ui wait-control "$TITLE" 1000 60000
quiet ui check "$TITLE" 1043 1
next_on_folder_page
expect "the run with an existing folder ends on the finish page" finish_text "$TITLE"
finish_run "delete on exit, existing folder" 0
export TOVU_TEST_SETUP_RECORD='C:\record.txt'
expect "the setup ran and wrote its file" [ "$(setup_runs "$OWN_RECORD")" = 1 ]
left=$(find "$TARGET" -type f ! -name record.txt 2>/dev/null | wc -l)
expect "no file of the payload is left (left: $left)" [ "$left" = 0 ]
expect "the setup's own file keeps its folder" [ -f "$OWN_RECORD" ]

exit $fail
