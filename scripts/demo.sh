#!/usr/bin/env bash
# Builds everything and runs the main job: the x86_64 frame under wine64.
# Until the frame carries a container, it runs its foundation: command
# line, run mode, the master log, the machine's fixed drives and the check
# of an extraction folder, then the log summary. The script prints the log.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOVU_BUILD_ROOT:-$ROOT/build}
bash "$ROOT/scripts/build.sh"

export TOVU_BUILD_DIR="$BUILD/win64"
source "$ROOT/tests/wine/wine-lib.sh"
wine_fresh_prefix demo

FRAME="$BUILD/win64/bin/Fennock.exe"
echo "== running: wine Fennock.exe -silent -debug \"-extractpath=C:\\Demo Target\" -setupLanguage=1031"
rc=0
wine_run "$FRAME" -silent -debug '-extractpath=C:\Demo Target' -setupLanguage=1031 || rc=$?
wine_stop

LOG="$WINEPREFIX/drive_c/ProgramData/Maravel/Automation/Logfiles/Tovu.log"
echo "== exit code: $rc"
echo "== master log ($LOG):"
tr -d '\r' <"$LOG"
echo
echo "== what it did: parsed the command line (silent mode, debug detail, an"
echo "   extraction folder), wrote the master log above with its START banner,"
echo "   listed the fixed drives highest letter first with their free space,"
echo "   validated the extraction folder by creating, testing and removing it,"
echo "   and closed the log with its summary. The frame built for shipping is"
echo "   $BUILD/win32/bin/Fennock.exe (i686; it cannot run on this machine)."
exit "$rc"
