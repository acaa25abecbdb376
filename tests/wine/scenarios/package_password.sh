#!/usr/bin/env bash
# A package whose settings require an extraction password (stored shifted
# by [Temporary] Number), run silently: the right password goes on, one
# that differs only in letter case stops the run, and a missing one is
# asked for in the log. Each run exits 0.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

WORK=$(scenario_work package_password)
# "Open Sesame" shifted by 3 over the printable characters.
sed -e 's/^ExtractPasswordRequired=0/ExtractPasswordRequired=1\nExtractionPassword=Rshq#Vhvdph/' \
    -e 's/^\[FileCount\]/[Temporary]\nNumber=3\n\n[FileCount]/' \
    "$FIXTURES/Properties_Tovu.ini" >"$WORK/Properties_Tovu.ini"
grep -q '^ExtractionPassword=' "$WORK/Properties_Tovu.ini" || { echo "FAIL: settings not prepared"; exit 1; }
tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/Properties_Tovu.ini" \
  --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
  --cabinet "$FIXTURES/WebCab1.cab" --output "$WORK/Package.exe" >/dev/null || { echo "FAIL: build"; exit 1; }

wine_fresh_prefix package_password
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
cp "$WORK/Package.exe" "$WINEPREFIX/drive_c/Package.exe"
trap 'wine_stop; rm -rf "$WORK"' EXIT
XLOG="$(dirname "$(master_log)")/Demo.txt"
fail=0

run_case() {  # NAME LINE ARGS...
  local name=$1 line=$2; shift 2
  local rc=0
  # Each run starts on a quiet prefix: nothing of the run before may still
  # hold the extraction log.
  wine_stop
  wineserver -w 2>/dev/null || true
  wine_run 'C:\Package.exe' -silent "$@" >/dev/null 2>&1 || rc=$?
  local ok=1
  expect "$name: exit code 0" [ "$rc" = 0 ] || { echo "exit code $rc"; ok=0; }
  expect "$name: logs '$line'" grep -qF "|CheckPassword                       |$line" "$XLOG" || ok=0
  if [ $ok = 0 ]; then
    echo "--- $(basename "$XLOG"), last lines:"; tail -n 25 "$XLOG" 2>/dev/null
    echo "--- $(basename "$(master_log)"), last lines:"; tail -n 15 "$(master_log)" 2>/dev/null
  fi
}
run_case "right password" "Password provided by user is correct" '-extractionpassword=Open Sesame'
expect "right password: no refusal" not_in_file "$XLOG" "is invalid"
run_case "letter case differs" "Password provided by user is invalid" '-extractionpassword=open sesame'
expect "letter case differs: counted as an error" grep -q "|RETURN    |ERRORS                                |[1-9]" "$XLOG"
run_case "no password" "Please provide the Password from the command line parameter : -ExtractionPassword"
exit "$fail"
