#!/usr/bin/env bash
# Builds everything and runs the main job: the x86_64 frame under wine64.
# It builds a demo package with tovupack (the frame, the fixture settings
# of tests/data/package, and a payload folder holding the demo product, a
# Windows Installer package built with wixl from tests/data/demo) and
# installs it unattended: the frame unpacks its settings into a Tovu temp
# folder, writes the extraction log with the system information, checks
# the package's rules, extracts the cabinet with its progress window,
# starts the setup through msiexec, waits for it, maps its return code to
# the exit code and cleans up. The script prints both logs and the file
# the product installed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOVU_BUILD_ROOT:-$ROOT/build}
bash "$ROOT/scripts/build.sh"

export TOVU_BUILD_DIR="$BUILD/win64"
source "$ROOT/tests/wine/wine-lib.sh"
wine_fresh_prefix demo

FRAME="$BUILD/win64/bin/Fennock.exe"
FIXTURES="$ROOT/tests/data/package"
WORK="$BUILD/win64/wine/scratch/demo.work"
rm -rf "$WORK"
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd

# The demo product: a Windows Installer package built with wixl, the
# package's one setup, installed with /qn into "Program Files\Demo Library".
PACKER="$BUILD/linux/bin/tovupack"
DEMO="$ROOT/tests/data/demo"
mkdir -p "$WORK/payload"
(cd "$DEMO" && wixl -a x64 -o "$WORK/payload/DemoLibrary.msi" DemoLibrary.wxs)
sed -e 's/^AutoLaunch=.*/AutoLaunch=DemoLibrary.msi/' -e 's/^LaunchEXEParams=.*/LaunchEXEParams=\/qn/' \
    -e 's/^ExtractPath=.*/ExtractPath=C:\\Demo Library Setup/' "$FIXTURES/Properties_Tovu.ini" >"$WORK/Properties_Tovu.ini"
"$PACKER" build --frame "$FRAME" --settings "$WORK/Properties_Tovu.ini" \
    --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" \
    --entry "$FIXTURES/750BottomImage.PNG" --payload "$WORK/payload" --output "$WORK/Package.exe"
cp "$WORK/Package.exe" "$WINEPREFIX/drive_c/Package.exe"

echo "== running: wine C:\\Package.exe -unattended (drives C: and D:, under Xvfb)"
rc=0
wine_run 'C:\Package.exe' -unattended || rc=$?
wine_stop

LOG="$WINEPREFIX/drive_c/ProgramData/Maravel/Automation/Logfiles/Tovu.log"
echo "== exit code: $rc"
echo "== master log ($LOG):"
tr -d '\r' <"$LOG"
echo
XLOG="$(dirname "$LOG")/Demo.txt"
if [ -f "$XLOG" ]; then
  echo "== extraction log ($XLOG):"
  tr -d '\r' <"$XLOG"
  echo
fi
INSTALLED="$WINEPREFIX/drive_c/Program Files/Demo Library/readme.txt"
if [ -f "$INSTALLED" ]; then
  echo "== installed: $INSTALLED: $(tr -d '\r' <"$INSTALLED")"
else
  echo "== the demo product was not installed"
  [ "$rc" = 0 ] && rc=1
fi
echo "== left on D: after the run: $(ls -A "$WORK/d" | wc -l) entries"
echo "== what it did: built a package from the frame, the fixture settings and"
echo "   a payload folder holding the demo product DemoLibrary.msi; ran it"
echo "   unattended: master log, single-instance guard, the Tovu temp folder on"
echo "   D:, the settings unpacked, the extraction log with the system"
echo "   information, the rules checked, the cabinet extracted into"
echo "   C:\\Demo Library Setup with the progress window, the setup started"
echo "   through msiexec /qn and waited for, its return code mapped to the exit"
echo "   code, the temp folder removed. The frame built for shipping is"
echo "   $BUILD/win32/bin/Fennock.exe (i686; it cannot run on this machine)."
rm -rf "$WORK"
exit "$rc"
