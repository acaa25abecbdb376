#!/usr/bin/env bash
# More of the GUI run's paths, each a package built by tovupack around a
# stand-in setup that records its starts: the extraction password asked
# for in the wizard (a wrong one, then the right one); a file that exists
# twice in the cabinet and the overwrite question; setups that start only
# when Finish is pressed; the installation page and a cancel while its
# setup runs; a cancel during a long extraction. Pictures of the dialogs
# and pages are kept under the build's artifacts folder.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

source "$(dirname "$0")/../wizard-lib.sh"
command -v gcab >/dev/null || { echo "SKIP: no gcab"; exit 77; }
wizard_scenario wizard_paths
wizard_payload
cp "$SETUP_EXE" "$WORK/payload/second.exe"

# make_package NAME SED-SCRIPT [--payload DIR | --cabinet FILE]
make_package() {
  local name=$1 edit=$2; shift 2
  wizard_settings "$name" "$edit"
  [ $# -gt 0 ] || set -- --payload "$WORK/payload"
  wizard_pack "$name" "$@"
}
start_case() {
  rm -rf "$TARGET" "$RECORD"
  gui_start "C:\\$1.exe"
  quiet ui wait-control "$TITLE" 12324 90000
}
finish_run() {  # WHAT EXIT
  quiet ui click "$TITLE" 12325
  gui_wait_exit 60
  expect "$1: exit code $2" [ "$GUI_RC" = "$2" ]
}

# ---- the extraction password: wrong, then right --------------------------------
make_package password 's/^ExtractPasswordRequired=0/ExtractPasswordRequired=1\nExtractionPassword=Rshq#Vhvdph/;
  s/^\[FileCount\]/[Temporary]\nNumber=3\n\n[FileCount]/'
start_case password
quiet ui click "$TITLE" 12324
expect "Next asks for the password" quiet ui wait-control "$TITLE" 1054 30000
expect "OK is disabled while the box is empty" ui wait-state "$TITLE" 1 disabled 10000
shot=$(gui_shot wizard-password "$TITLE") && expect "the password dialog's picture is not blank" gui_shot_not_blank "$shot"
quiet ui settext "$TITLE" 1054 "open sesame"
quiet ui click "$TITLE" 1
expect "a wrong password is refused with a message" quiet ui wait-control "$TITLE" 65535 30000
quiet ui msgbox-press "$TITLE" 1
expect "the box is emptied after a wrong password" ui wait-state "$TITLE" 1 disabled 20000
quiet ui settext "$TITLE" 1054 "Open Sesame"
quiet ui click "$TITLE" 1
expect "the right password goes on to the finish page" ui wait-text "$TITLE" 1033 "Demo Library V1.3" 120000
finish_run "password" 0
expect "the log has the wrong password" grep -q "Password provided by user is invalid" "$XLOG"
expect "and the right one" grep -q "Password provided by user is correct" "$XLOG"
expect "the setup ran after the right password" [ "$(setup_runs)" = 1 ]

# ---- a file twice in the cabinet: the overwrite question -----------------------
# Three members whose names differ only in letter case are one file on
# Windows: the second and third find it there.
mkdir -p "$WORK/dup"
( cd "$WORK/dup" && printf 'one\r\n' >notes.txt && printf 'two\r\n' >NOTES.TXT && printf 'three\r\n' >Notes.Txt &&
  gcab -c ../dup.cab notes.txt NOTES.TXT Notes.Txt )
make_package overwrite 's/^AutoLaunch=.*/AutoLaunch=/' --cabinet "$WORK/dup.cab"
start_case overwrite
quiet ui click "$TITLE" 12324
expect "an existing file brings up the overwrite question" quiet ui wait-control "$TITLE" 1027 60000
expect "it names the file" ui wait-text "$TITLE" 1030 ".TXT" 10000
shot=$(gui_shot wizard-overwrite "$TITLE") && expect "the overwrite dialog's picture is not blank" gui_shot_not_blank "$shot"
quiet ui click "$TITLE" 1027
expect "Yes to All asks no more: the extraction ends on the finish page" \
  ui wait-text "$TITLE" 1033 "Extraction successful for Demo Library V1.3." 60000
finish_run "overwrite" 0
notes=$(find "$TARGET" -maxdepth 1 -iname notes.txt | head -1)
expect "the last member is the file on disk" grep -q three "$notes"
expect "one file on disk for the three names" [ "$(find "$TARGET" -maxdepth 1 -iname notes.txt | wc -l)" = 1 ]
expect "both later members replaced it (Yes to All)" [ "$(grep -c 'Deleting file : ' "$XLOG")" = 2 ]

# ---- WaitForAutolaunchFinish 0: the setup starts on Finish ---------------------
make_package nowait 's/^AllowChangeTarget=.*/&\nWaitForAutolaunchFinish=0/'
start_case nowait
quiet ui click "$TITLE" 12324
expect "the finish page says the installation starts on Finish" \
  ui wait-text "$TITLE" 1033 "Installation will start after Finish button is clicked." 120000
shot=$(gui_shot wizard-finish-deferred "$TITLE") || true
expect "no setup before Finish" [ "$(setup_runs)" = 0 ]
finish_run "deferred launch" 0
for _ in $(seq 1 50); do [ "$(setup_runs)" = 1 ] && break; sleep 0.2; done
expect "Finish started the setup" [ "$(setup_runs)" = 1 ]

# ---- the installation page, cancelled while its setup runs -----------------------
make_package installpage 's/^AutoLaunch=.*/Multilaunch=1\nAutoLaunch1=setup.exe\nAutoLaunch2=second.exe/;
  s/^AllowChangeTarget=.*/&\nAutoLaunchInstallationDialog=1/;
  s/^LaunchEXEParams=.*/LaunchEXEParams1=\/sleep=6000 \/exit=0\nLaunchEXEParams2=\/exit=0/'
start_case installpage
quiet ui click "$TITLE" 12324
expect "the installation page shows while the setup runs" ui wait-text "$TITLE" 1063 "Installation is in progress..." 120000
shot=$(gui_shot wizard-installation "$TITLE") && expect "the installation page's picture is not blank" gui_shot_not_blank "$shot"
quiet ui click "$TITLE" 2
quiet ui wait-control "$TITLE" 65535 30000
quiet ui msgbox-press "$TITLE" 6
expect "Cancel is disabled while the setup runs" ui wait-state "$TITLE" 2 disabled 20000
expect "the page says that no further setup starts" ui wait-text "$TITLE" 1063 "further installations(if any) will be cancelled" 20000
expect "the finish page says the installation was cancelled" \
  ui wait-text "$TITLE" 1033 "The installation of Demo Library V1.3 has been cancelled." 60000
finish_run "installation cancelled" 0
expect "the running setup finished and no further one started" [ "$(setup_runs)" = 1 ]
expect "the log says the launch stopped" grep -q "Launch process is stopped" "$XLOG"

# ---- cancel during a long extraction ------------------------------------------------
# Many files: under Wine each costs a few milliseconds, so the extraction
# lasts long enough for a person to press Esc while it runs.
mkdir -p "$WORK/big/data"
head -c 60000000 /dev/urandom | (cd "$WORK/big/data" && split -b 20000 -a 4 - part)
cp "$SETUP_EXE" "$WORK/big/setup.exe"
make_package big '' --payload "$WORK/big" --compression none
start_case big
quiet ui click "$TITLE" 12324
expect "the extraction page shows its progress" ui wait-text "$TITLE" 1037 "Extracting the package..." 120000
shot=$(gui_shot wizard-extraction "$TITLE") && expect "the extraction page's picture is not blank" gui_shot_not_blank "$shot"
gui_key "$TITLE" Escape
quiet ui wait-control "$TITLE" 65535 30000
quiet ui msgbox-press "$TITLE" 6
expect "the finish page says the extraction was cancelled" \
  ui wait-text "$TITLE" 1033 "The extraction of Demo Library V1.3 has been cancelled." 60000
finish_run "extraction cancelled" 0
expect "the log says who cancelled the extraction" grep -q "User canceled the extraction process" "$XLOG"
left=$(find "$TARGET" -type f 2>/dev/null | wc -l)
expect "the partial files are removed (left: $left)" [ "$left" = 0 ]
expect "no setup started after the cancel" [ "$(setup_runs)" = 0 ]

exit $fail
