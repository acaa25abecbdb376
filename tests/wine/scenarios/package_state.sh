#!/usr/bin/env bash
# A packaged frame on a prefix set to Windows 10 (the frame's manifest
# declares Windows 10, so it sees 10.0): the master log hands over to the
# extraction log, which opens with its START banner and the master log's
# path and holds the system information block in its layout; a second run
# renames the first extraction log with its date and time; -debug adds the
# buffer-size lines to the extraction log and never to the master log.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

WORK=$(scenario_work package_state)
build_fixture_package "$WORK/Package.exe" >/dev/null || exit 1

wine_fresh_prefix package_state
wine_run winecfg -v win10 >/dev/null 2>&1
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
cp "$WORK/Package.exe" "$WINEPREFIX/drive_c/Package.exe"
trap 'wine_stop; rm -rf "$WORK"' EXIT
fail=0

LOG=$(master_log)
LOGDIR=$(dirname "$LOG")
XLOG="$LOGDIR/Demo.txt"

rc=0
wine_run 'C:\Package.exe' -silent || rc=$?
expect "first run exits 0" [ "$rc" = 0 ]
expect "extraction log written" [ -f "$XLOG" ]

# The master log ends where the extraction log takes over.
expect "master log ends with the hand-over and the end banner" [ \
  "$(tr -d '\r' <"$LOG" | tail -n 2 | sed 's/^[0-9:]*|          |//')" = \
  "CreateExtractionLogFile             |Extraction Log File : C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Demo.txt
############################## --------- End --------- ##############################" ]

# The extraction log: START banner, the master log's path, the system
# information block.
expect "extraction log starts with its START banner" \
  sh -c "head -n 1 '$XLOG' | grep -q '^############################## --------- START[0-9]\{14\} --------- ##############################'"
expect "then the master log's path" \
  sh -c "sed -n 2p '$XLOG' | grep -qF '|CreateExtractionLogFile             |Master Log File : C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log'"
expect_lines_in_order "$XLOG" \
  "|Date                                |*day, * 20" \
  "-------------------------------------- System Information --------------------------------------" \
  "|RAM Size                            |* GB" \
  "|Processor" \
  "|Computer name                       |" \
  "|Space Info on Drive: C:\\ (NTFS)     |Total Space: " \
  "|Space Info on Drive: D:\\ (NTFS)     |Total Space: " \
  "|OSVersion                           |OS Version : 10.0." \
  "|OSVersion                           |Major Version : 10" \
  "|OSVersion                           |Minor Version : 0" \
  "|System Language                     |English (1033)" \
  "|UI Language                         |English (1033)" \
  "-----------------------------------------------------------------------------------------------" \
  "|Display Name                        |Demo Library V1.3" \
  "|RETURN    |STATUS" \
  "############################## --------- End --------- ##############################"
expect "one line per fixed drive (C: and D:)" [ "$(grep -c '|Space Info on Drive: ' "$XLOG")" = 2 ]
expect "the closing rule is 95 dashes" grep -qx -- "$(printf -- '-%.0s' $(seq 95))"$'\r' "$XLOG"
expect "no buffer-size lines without -debug" not_in_file "$XLOG" "BufferSize"
first_start=$(head -c 80 "$XLOG")

# A second run keeps the first extraction log under its date and time.
sleep 1
rc=0
wine_run 'C:\Package.exe' -silent -debug || rc=$?
expect "second run exits 0" [ "$rc" = 0 ]
renamed=$(ls "$LOGDIR" | grep -E '^Demo_[0-9]{2}(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)[0-9]{4}_[0-9]{2}-[0-9]{2}-[0-9]{2}\.txt$' || true)
expect "the first extraction log is renamed with its date and time ($renamed)" [ "$(echo "$renamed" | grep -c .)" = 1 ]
expect "the renamed log is the first run's" [ "$(head -c 80 "$LOGDIR/$renamed" 2>/dev/null)" = "$first_start" ]
expect "a new extraction log is written" [ -f "$XLOG" ]

# -debug: the buffer-size lines in the extraction log, never in the master log.
expect_lines_in_order "$XLOG" \
  "|SetBufferSize                       |BufferSize in ToolSettings : 5242880" \
  "|SetBufferSize                       |Calculated BufferSize : "
expect "the master log has no buffer-size line" not_in_file "$LOG" "BufferSize"

[ "$fail" = 0 ] || { echo "---- master log"; tr -d '\r' <"$LOG"; echo "---- extraction log"; tr -d '\r' <"$XLOG"; }
exit "$fail"
