#!/usr/bin/env bash
# The license page of the GUI run, each case a package built by tovupack
# with its documents as extra entries: a license alone (plain text, the
# page as the first page), the security information alone (rich text),
# both (Next only after both boxes are ticked, and disabled again when one
# is unticked), and a document of a type the page cannot show. Every run
# goes on to extract and finish. Pictures of the page before and after
# the documents are accepted are kept under the build's artifacts folder.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

source "$(dirname "$0")/../wizard-lib.sh"
wizard_scenario wizard_license
wizard_payload

NEXT=12324
BACK=12323
ACCEPT=1020
CONFIRM=1021
VIEW=1039
NAME=1060
LICENSE_NAME="License agreement Maravel AG(EULA)"
SECURITY_NAME="Confirmation of the security information"

mkdir -p "$WORK/docs"
printf 'END USER LICENSE AGREEMENT\r\nYou may install this demo library on any machine.\r\n' >"$WORK/docs/License.txt"
printf '{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Safety notes}\\par Keep the device dry.\\par}\r\n' \
  >"$WORK/docs/Security.rtf"
printf '{\\rtf1\\ansi {\\b Rich license}\\par Terms in rich text.\\par}\r\n' >"$WORK/docs/Terms.rtf"
printf 'Read the safety notes before use.\r\n' >"$WORK/docs/Safety.txt"
printf '%%PDF-1.4 not shown\r\n' >"$WORK/docs/License.pdf"

# make_package NAME SED-SCRIPT DOCUMENT...: the documents become entries of
# the package's settings, beside the language file and the banners.
make_package() {
  local name=$1 edit=$2; shift 2
  local entries=()
  for doc in "$@"; do entries+=(--entry "$WORK/docs/$doc"); done
  wizard_settings "$name" 's/^LicenseDialog=0/LicenseDialog=1/'"
$edit"
  wizard_pack "$name" "${entries[@]}" --payload "$WORK/payload"
}
is_disabled() { [ "$(control_line "$1" | cut -f4)" = 0 ]; }
view_text() { ui text "$TITLE" "$VIEW" 2>/dev/null; }
view_has() { view_text | grep -qF -- "$1"; }
# click_entry ROW: a mouse click on the list's entry (rows from 0), at the
# place the page's layout gives it on the harness's display.
click_entry() {
  local xid
  xid=$(gui_xid "$TITLE") || return 1
  xdotool mousemove --window "$xid" 200 $((101 + 16 * $1)) click 1
}
# tick ID 0|1: a click on the box as a person's; the page has handled the
# click once it answers the next question (its messages come in order).
tick() { quiet ui check "$TITLE" "$1" "$2" 20000; quiet ui text "$TITLE" "$NAME"; }

start_case() {
  rm -rf "$TARGET" "$RECORD"
  gui_start "C:\\$1.exe"
  quiet ui wait-control "$TITLE" "$NEXT" 90000
}
# From the welcome page to the license page: its label 1060 names a document.
to_license_page() {
  quiet ui click "$TITLE" "$NEXT"
  expect "$1: Next leads to the license page" quiet ui wait-control "$TITLE" "$VIEW" 60000
}
finish_run() {  # WHAT
  quiet ui click "$TITLE" "$NEXT"
  expect "$1: the extraction ends on the finish page" \
    ui wait-text "$TITLE" 1033 "Demo Library V1.3" 120000
  quiet ui click "$TITLE" 12325
  gui_wait_exit 60
  expect "$1: exit code 0" [ "$GUI_RC" = 0 ]
  expect "$1: the setup ran" [ "$(setup_runs)" = 1 ]
  expect "$1: the payload was extracted" [ -f "$TARGET/readme.txt" ]
}

# ---- the license alone, plain text, on the first page ------------------------------
make_package license 's/^\[LicenseFiles\]/&\n1033=License.txt/; s/^LicenseDialog=1/&\nWelcomeDialog=0/' License.txt
start_case license
expect "license only: the page shows the license's text" ui wait-text "$TITLE" "$VIEW" "any machine" 60000
expect "license only: label 1060 names the license" ui wait-text "$TITLE" "$NAME" "$LICENSE_NAME" 10000
expect "license only: the box to accept is shown" has_visible "$ACCEPT"
expect "license only: no security box" no_visible "$CONFIRM"
expect "license only: Next is disabled" is_disabled "$NEXT"
expect "license only: selecting the document shows Back also on the first page" has_visible "$BACK"
tick "$ACCEPT" 1
expect "license only: accepting enables Next" ui wait-state "$TITLE" "$NEXT" enabled 20000
tick "$ACCEPT" 0
expect "license only: unticking disables Next again" ui wait-state "$TITLE" "$NEXT" disabled 20000
tick "$ACCEPT" 1
quiet ui wait-state "$TITLE" "$NEXT" enabled 20000
finish_run "license only"
expect "license only: the log names the license file" grep -q "License File for language 1033 : License.txt" "$XLOG"
expect "license only: the log has the acceptance" grep -q "User has accepted the license agreement" "$XLOG"

# ---- the license page first, with an extraction password --------------------------------
make_package password 's/^\[LicenseFiles\]/&\n1033=License.txt/; s/^LicenseDialog=1/&\nWelcomeDialog=0/;
  s/^ExtractPasswordRequired=0/ExtractPasswordRequired=1\nExtractionPassword=Rshq#Vhvdph/;
  s/^\[FileCount\]/[Temporary]\nNumber=3\n\n[FileCount]/' License.txt
start_case password
expect "password: the first page asks for the password" quiet ui wait-control "$TITLE" 1054 60000
quiet ui settext "$TITLE" 1054 "Open Sesame"
quiet ui click "$TITLE" 1
expect "password: then the license page waits for the license" ui wait-text "$TITLE" "$VIEW" "any machine" 60000
expect "password: Next is disabled" is_disabled "$NEXT"
tick "$ACCEPT" 1
expect "password: accepting enables Next" ui wait-state "$TITLE" "$NEXT" enabled 20000
finish_run "password"
expect "password: the log has the right password" grep -q "Password provided by user is correct" "$XLOG"

# ---- the security information alone, rich text ---------------------------------------
make_package security 's/^\[LicenseFiles\]/[SecurityLicenseFiles]\n1033=Security.rtf\n\n&/' Security.rtf
start_case security
to_license_page "security only"
expect "security only: the rich text is shown without its markup" ui wait-text "$TITLE" "$VIEW" "Keep the device dry." 60000
expect "security only: no RTF control words in the view" eval '! view_has "\\rtf1"'
expect "security only: label 1060 names the security information" ui wait-text "$TITLE" "$NAME" "$SECURITY_NAME" 10000
expect "security only: the confirmation box is shown" has_visible "$CONFIRM"
expect "security only: no license box" no_visible "$ACCEPT"
expect "security only: Next is disabled" is_disabled "$NEXT"
expect "security only: Back is shown" has_visible "$BACK"
tick "$CONFIRM" 1
expect "security only: confirming enables Next" ui wait-state "$TITLE" "$NEXT" enabled 20000
# Back to the welcome page and on again: the page is filled anew and keeps
# what the user confirmed.
quiet ui click "$TITLE" "$BACK"
expect "security only: Back leads to the welcome page" quiet ui wait-control "$TITLE" 1047 30000
to_license_page "security only, again"
expect "security only, again: the document is shown again" ui wait-text "$TITLE" "$VIEW" "Keep the device dry." 60000
expect "security only, again: the box is still ticked" ui wait-state "$TITLE" "$CONFIRM" checked 10000
expect "security only, again: Next is enabled" ui wait-state "$TITLE" "$NEXT" enabled 20000
finish_run "security only"
expect "security only: the log has the confirmation" grep -q "User has accepted the lSecurity icense agreement" "$XLOG"

# ---- both documents: Next needs both boxes ----------------------------------------------
make_package both 's/^\[LicenseFiles\]/[SecurityLicenseFiles]\n1033=Safety.txt\n\n&\n1033=Terms.rtf/' Terms.rtf Safety.txt
start_case both
to_license_page "both"
expect "both: the license is shown first" ui wait-text "$TITLE" "$VIEW" "Terms in rich text." 60000
expect "both: label 1060 names the license" ui wait-text "$TITLE" "$NAME" "$LICENSE_NAME" 10000
expect "both: both boxes are shown" eval 'has_visible "$ACCEPT" && has_visible "$CONFIRM"'
expect "both: Next is disabled" is_disabled "$NEXT"
shot=$(gui_shot wizard-license "$TITLE") && expect "both: the page's picture is not blank" gui_shot_not_blank "$shot"
click_entry 1
expect "both: selecting the second entry shows the security information" \
  ui wait-text "$TITLE" "$VIEW" "Read the safety notes" 30000
expect "both: label 1060 names it" ui wait-text "$TITLE" "$NAME" "$SECURITY_NAME" 10000
gui_shot wizard-license-security "$TITLE" >/dev/null || true
click_entry 0
expect "both: the first entry shows the license again" ui wait-text "$TITLE" "$VIEW" "Terms in rich text." 30000
expect "both: selecting leaves Next disabled" is_disabled "$NEXT"
tick "$ACCEPT" 1
expect "both: the license alone leaves Next disabled" is_disabled "$NEXT"
tick "$ACCEPT" 0
tick "$CONFIRM" 1
expect "both: the security information alone leaves Next disabled" is_disabled "$NEXT"
tick "$ACCEPT" 1
expect "both: both boxes enable Next" ui wait-state "$TITLE" "$NEXT" enabled 20000
shot=$(gui_shot wizard-license-accepted "$TITLE") && expect "both: the accepted page's picture is not blank" gui_shot_not_blank "$shot"
tick "$CONFIRM" 0
expect "both: unticking the security box disables Next again" ui wait-state "$TITLE" "$NEXT" disabled 20000
tick "$CONFIRM" 1
expect "both: ticked again, Next is enabled" ui wait-state "$TITLE" "$NEXT" enabled 20000
tick "$ACCEPT" 0
expect "both: unticking the license box disables Next again" ui wait-state "$TITLE" "$NEXT" disabled 20000
tick "$ACCEPT" 1
quiet ui wait-state "$TITLE" "$NEXT" enabled 20000
finish_run "both"

# ---- a document of another type --------------------------------------------------------
# For the setup language itself only text and rich-text documents count:
# a PDF named there is refused, and the page has nothing to accept.
make_package other 's/^\[LicenseFiles\]/&\n1033=License.pdf/' License.pdf
start_case other
to_license_page "other type"
expect "other type: the view is empty" eval '[ -z "$(view_text)" ]'
expect "other type: no box to tick" eval 'no_visible "$ACCEPT" && no_visible "$CONFIRM"'
expect "other type: Next is enabled" ui wait-state "$TITLE" "$NEXT" enabled 20000
finish_run "other type"
expect "other type: the log says the document is refused" grep -q "Invalid License File for language 1033 : License.pdf" "$XLOG"

exit $fail
