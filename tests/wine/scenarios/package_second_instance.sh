#!/usr/bin/env bash
# A run that stops on a message box (GUI mode; the cabinet entry's header is
# damaged, so unpacking the settings fails after the four settings entries):
# while it waits, its Tovu temp folder on D: holds the settings entries
# byte-identical to the inputs, and a second instance started then logs
# "Another instance is already running.", exits 0 and leaves the first
# one's folder alone.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

WORK=$(scenario_work package_second_instance)
build_fixture_package "$WORK/Package.exe" || exit 1
START=$(file_size "$TOVU_BUILD_DIR/bin/Fennock.exe")
CAB=$(entry_offset "$WORK/Package.exe" "$START" 4)
write_u32 "$WORK/Package.exe" $((CAB + 76)) 2000

wine_fresh_prefix package_second_instance
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
cp "$WORK/Package.exe" "$WINEPREFIX/drive_c/Package.exe"
LOG=$(master_log)

fail=0
wine_with_display "$WINE_BIN" 'C:\Package.exe' >/dev/null 2>&1 &
FIRST=$!
trap 'wineserver -k 2>/dev/null; wait $FIRST 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 1 300); do
  grep -qF "An error occured during extraction of Setting files" "$LOG" 2>/dev/null && break
  sleep 0.1
done
expect "the first instance reached its message box" grep -qF "An error occured during extraction of Setting files" "$LOG"

TEMP_DIR=$(ls -d "$WORK"/d/\{*\} 2>/dev/null | head -1)
expect "Tovu temp folder D:\\{GUID}\\ exists" [ -n "$TEMP_DIR" ]
expect "its name is a braced upper-case GUID" bash -c "basename '$TEMP_DIR' | grep -Eq '^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$'"
expect "Properties_Tovu.ini is the settings file as UTF-16LE" cmp -s <(expected_settings_entry) "$TEMP_DIR/Properties_Tovu.ini"
for f in Defaultx.ulf 750TopImage.PNG 750BottomImage.PNG; do
  expect "$f byte-identical" cmp -s "$FIXTURES/$f" "$TEMP_DIR/$f"
done
expect "the cabinet entry stays in the package" [ ! -e "$TEMP_DIR/WebCab1" ]

rc=0
wine_with_display "$WINE_BIN" 'C:\Package.exe' -silent >/dev/null 2>&1 || rc=$?
expect "second instance exits 0" [ "$rc" = 0 ]
expect "second instance logs it" grep -qF "|Another instance is already running." "$LOG"
expect "the first instance's folder is left alone" cmp -s "$FIXTURES/Defaultx.ulf" "$TEMP_DIR/Defaultx.ulf"
expect "the second instance made no folder" [ "$(ls -d "$WORK"/d/\{* | wc -l)" = 1 ]
[ "$fail" = 0 ] || { echo "---- master log"; tr -d '\r' <"$LOG"; }
exit "$fail"
