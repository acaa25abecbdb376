#!/usr/bin/env bash
# Damaged packages end without a crash and with the log saying why: the
# container cut inside an entry header and inside an entry's data, a marker
# in lower-case hexadecimal, an unpackaged frame, a name length of 2,000
# bytes. Each runs silently on the same shaped prefix.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

WORK=$(scenario_work package_damaged)
build_fixture_package "$WORK/Good.exe" || exit 1
FRAME="$TOVU_BUILD_DIR/bin/Fennock.exe"
START=$(file_size "$FRAME")

wine_fresh_prefix package_damaged
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
LOG=$(master_log)
trap 'wine_stop; rm -rf "$WORK"' EXIT
fail=0

# run_case NAME PACKAGE EXPECTED_EXIT PATTERN...: runs PACKAGE -silent and
# checks its exit code, that the run ended with its log footer, that no
# Tovu temp folder is left behind, and the lines in order.
run_case() {
  local name=$1 pkg=$2 want=$3; shift 3
  echo "== $name"
  cp "$pkg" "$WINEPREFIX/drive_c/Package.exe"
  local rc=0
  wine_run 'C:\Package.exe' -silent >/dev/null 2>&1 || rc=$?
  expect "$name: exit code $want" [ "$rc" = "$want" ]
  expect_lines_in_order "$LOG" "--------- START" "$@" \
    "############################## --------- End --------- ##############################"
  expect "$name: no Tovu temp folder left" [ -z "$(ls -A "$WORK/d")" ]
}

# Cut inside the header of the second entry (inside its name): a marker
# with no complete header behind it is a damaged container, not the end of
# the list. The run ends with the reader's error code (-1).
P=$WORK/cut_header.exe
E1=$(entry_offset "$WORK/Good.exe" "$START" 1)
head -c $((E1 + 76 + 4 + 6)) "$WORK/Good.exe" >"$P"
run_case "cut inside an entry header" "$P" 255 \
  "|Extracting file : D:\\{*}\\Properties_Tovu.ini" \
  "|Closing file : D:\\{*}\\Properties_Tovu.ini" \
  "|ERROR     |ExtractFile*the header is cut off" \
  "|An error occured during extraction of Setting files"

# Cut inside the data of the third entry: the entry is written short, the
# next header read finds the end of the file. The settings are read; the
# package has no cabinet left, so the run ends as a failed extraction (-1).
P=$WORK/cut_data.exe
E2=$(entry_offset "$WORK/Good.exe" "$START" 2)
N2=$(read_u32 "$WORK/Good.exe" $((E2 + 76)))
head -c $((E2 + 86 + N2 + 10)) "$WORK/Good.exe" >"$P"
run_case "cut inside an entry's data" "$P" 255 \
  "|Extracting file : D:\\{*}\\750TopImage.PNG" \
  "|Closing file : D:\\{*}\\750TopImage.PNG" \
  "|Extracted Setting files to D:\\{"

# The first marker in lower-case hexadecimal is no marker: nothing is
# unpacked, and a run without settings and cabinet fails (-1).
P=$WORK/lower_marker.exe
cp "$WORK/Good.exe" "$P"
write_utf16 "$P" "$START" "$(echo "$ENTRY_MARKER" | tr 'A-F' 'a-f')"
run_case "marker in lower-case hexadecimal" "$P" 255 \
  "|Attached files are extracted" \
  "|Extracted Setting files to D:\\{"
expect "lower-case marker: nothing unpacked" not_in_file "$LOG" "Extracting file"

# The frame as built carries no container (offset 0): nothing to extract.
run_case "unpackaged frame" "$FRAME" 255 \
  "|Attached files are extracted" \
  "|Extracted Setting files to D:\\{"

# A name length of 2,000 bytes: the container is damaged, the run ends
# with the reader's error code (-1).
P=$WORK/long_name.exe
cp "$WORK/Good.exe" "$P"
write_u32 "$P" $((START + 76)) 2000
run_case "name length of 2,000 bytes" "$P" 255 \
  "|ERROR     |ExtractFile" \
  "|An error occured during extraction of Setting files"

[ "$fail" = 0 ] || { echo "---- last master log"; tr -d '\r' <"$LOG"; }
exit "$fail"
