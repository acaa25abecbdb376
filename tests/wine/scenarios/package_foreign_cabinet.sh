#!/usr/bin/env bash
# A package around a cabinet of another writer: gcab stores its member
# names without a leading backslash ("Sub\setup.exe"). Every member must
# land inside the extraction folder and nothing beside it, and the
# AutoLaunch setup in its subfolder must start.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

SETUP_EXE="$TOVU_BUILD_DIR/bin/win_test_setup.exe"
[ -f "$SETUP_EXE" ] || { echo "SKIP: no win_test_setup.exe"; exit 77; }
command -v gcab >/dev/null || { echo "SKIP: no gcab"; exit 77; }
WORK=$(scenario_work package_foreign_cabinet)
trap 'wine_stop; rm -rf "$WORK"' EXIT
fail=0

mkdir -p "$WORK/payload/Sub/Deeper"
cp "$SETUP_EXE" "$WORK/payload/Sub/setup.exe"
printf 'demo product\r\n' >"$WORK/payload/readme.txt"
printf 'deeper\r\n' >"$WORK/payload/Sub/Deeper/notes.txt"
(cd "$WORK/payload" && gcab -c -z "$WORK/foreign.cab" readme.txt Sub/setup.exe Sub/Deeper/notes.txt) ||
  { echo "FAIL: gcab -c"; exit 1; }
names=$(gcab -t "$WORK/foreign.cab" | tr -d '\r')
echo "$names"
expect "gcab stores the names without a leading backslash" [ -n "$(echo "$names" | grep -xF 'Sub\setup.exe')" ]

sed -e 's/^ExtractPath=.*/ExtractPath=C:\\Install\\Demo/' -e 's/^NoOSCheck=.*/NoOSCheck=1/' \
  -e 's/^AutoLaunch=.*/AutoLaunch=Sub\\setup.exe/' -e 's/^LaunchEXEParams=.*/LaunchEXEParams=\/exit=0/' \
  -e 's/^Count=.*/Count=3/' "$FIXTURES/Properties_Tovu.ini" >"$WORK/foreign.ini"
wine_fresh_prefix package_foreign_cabinet
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/foreign.ini" \
  --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
  --cabinet "$WORK/foreign.cab" --output "$WINEPREFIX/drive_c/Foreign.exe" >/dev/null ||
  { echo "FAIL: tovupack --cabinet"; exit 1; }
XLOG="$(dirname "$(master_log)")/Demo.txt"
RECORD="$WINEPREFIX/drive_c/record.txt"
INSTALL="$WINEPREFIX/drive_c/Install"

rc=0
TOVU_TEST_SETUP_RECORD='C:\record.txt' timeout 300 bash -c 'source "$0"; wine_run "C:\\Foreign.exe" -unattended' \
  "$TOVU_SOURCE_DIR/tests/wine/wine-lib.sh" >/dev/null 2>&1 || rc=$?
wine_stop

expect "exit code 0 (got $rc)" [ "$rc" = 0 ]
expect "readme.txt inside the folder" cmp -s "$WORK/payload/readme.txt" "$INSTALL/Demo/readme.txt"
expect "the setup inside its subfolder" cmp -s "$SETUP_EXE" "$INSTALL/Demo/Sub/setup.exe"
expect "the deeper file inside" cmp -s "$WORK/payload/Sub/Deeper/notes.txt" "$INSTALL/Demo/Sub/Deeper/notes.txt"
expect "nothing beside the extraction folder" [ "$(ls -A "$INSTALL")" = Demo ] || ls -la "$INSTALL"
expect "the setup started once" [ "$(grep -c '^\[run\]' "$RECORD" 2>/dev/null)" = 1 ]
expect "no level-0 line" not_in_file "$XLOG" "|ERROR     |"

[ "$fail" = 0 ] || { echo "---- extraction log"; tr -d '\r' <"$XLOG"; [ -f "$RECORD" ] && cat "$RECORD"; }
exit "$fail"
