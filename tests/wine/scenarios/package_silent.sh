#!/usr/bin/env bash
# A package built by tovupack from the fixture files, run silently as a
# user would, on a prefix with fixed drives C: and D: (Z: removed): the
# Tovu temp folder is made on D:, the settings entries are unpacked there,
# the folder is gone at exit, the exit code is 0, and the master log holds
# the startup's lines in order.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

WORK=$(scenario_work package_silent)
build_fixture_package "$WORK/Package.exe" || exit 1

wine_fresh_prefix package_silent
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
cp "$WORK/Package.exe" "$WINEPREFIX/drive_c/Package.exe"

rc=0
wine_run 'C:\Package.exe' -silent || rc=$?
wine_stop

fail=0
expect "exit code 0" [ "$rc" = 0 ]
LOG=$(master_log)
expect "master log written" [ -f "$LOG" ]
expect_lines_in_order "$LOG" \
  "############################## --------- START" \
  "|Space required for Extraction of Setting files: " \
  "|Required Space found in Drive : D:\\" \
  "|Directory created : D:\\{" \
  "------------------------------------------ Extraction ------------------------------------------" \
  "|Extracting file : D:\\{*}\\Properties_Tovu.ini" \
  "|Extracting file : D:\\{*}\\Defaultx.ulf" \
  "|Extracting file : D:\\{*}\\750TopImage.PNG" \
  "|Extracting file : D:\\{*}\\750BottomImage.PNG" \
  "|Extracted Setting files to D:\\{" \
  "|Extraction Log File : C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Demo.txt" \
  "############################## --------- End --------- ##############################"
# From there on the run writes the package's extraction log, which ends
# with the clean-up, the summary and the end banner.
XLOG="$(dirname "$LOG")/Demo.txt"
expect "extraction log written" [ -f "$XLOG" ]
expect_lines_in_order "$XLOG" \
  "############################## --------- START" \
  "|Master Log File : C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log" \
  "|Temp directory : " \
  "|Deleting folder : " \
  "|RETURN    |STATUS" \
  "############################## --------- End --------- ##############################"
expect "no cabinet entry unpacked" not_in_file "$LOG" "WebCab1"
expect "the Tovu temp folder is removed at exit" [ -z "$(ls -A "$WORK/d")" ]
expect "nothing unpacked on C:" [ -z "$(ls -d "$WINEPREFIX"/drive_c/\{* 2>/dev/null)" ]
[ "$fail" = 0 ] || { echo "---- master log"; tr -d '\r' <"$LOG"; echo "---- extraction log"; tr -d '\r' <"$XLOG"; }
rm -rf "$WORK"
exit "$fail"
