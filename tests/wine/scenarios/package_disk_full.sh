#!/usr/bin/env bash
# A package extracted onto a drive that fills up in the middle, for real
# under Wine: S: is a tmpfs of 4 MiB, the package carries about 6 MB of
# incompressible payload, and its settings declare a small [Size], so the
# space check lets it through. The extraction must fail as such: a
# non-zero exit code, a level-0 line with the system's reason, no
# "Success" after the extraction, no cut file left on the drive, and the
# Tovu temp folder gone. Mounting needs root (exit 77 otherwise).
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

SETUP_EXE="$TOVU_BUILD_DIR/bin/win_test_setup.exe"
[ -f "$SETUP_EXE" ] || { echo "SKIP: no win_test_setup.exe"; exit 77; }
if [ "$(id -u)" != 0 ]; then
  echo "SKIP: the small drive is a tmpfs mount, which needs root"
  exit 77
fi

WORK="$TOVU_BUILD_DIR/wine/scratch/package_disk_full.work"
MOUNTED=""
cleanup() {
  wine_stop
  if [ -n "$MOUNTED" ]; then umount "$MOUNTED" 2>/dev/null || umount -l "$MOUNTED" 2>/dev/null; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
if mountpoint -q "$WORK/small" 2>/dev/null; then umount "$WORK/small" || umount -l "$WORK/small"; fi
rm -rf "$WORK"
mkdir -p "$WORK/small" "$WORK/d"
if ! mount -t tmpfs -o size=4m tmpfs "$WORK/small"; then
  echo "SKIP: mount -t tmpfs failed (no mount rights in this container)"
  exit 77
fi
MOUNTED="$WORK/small"
fail=0

# The payload: two incompressible files of 3,000,000 bytes and the setup.
mkdir -p "$WORK/payload/Data"
head -c 3000000 /dev/urandom >"$WORK/payload/first.bin"
head -c 3000000 /dev/urandom >"$WORK/payload/Data/second.bin"
cp "$SETUP_EXE" "$WORK/payload/setup.exe"

sed -e 's/^ExtractPath=.*/ExtractPath=C:\\Install\\Demo/' -e 's/^NoOSCheck=.*/NoOSCheck=1/' \
  -e 's/^AutoLaunch=.*/AutoLaunch=setup.exe/' "$FIXTURES/Properties_Tovu.ini" >"$WORK/real.ini"
tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/real.ini" \
  --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
  --payload "$WORK/payload" --compression none --output "$WORK/real.exe" >/dev/null || { echo "FAIL: tovupack --payload"; exit 1; }
# The same cabinet again, with settings that declare far less than it holds.
cab=$(tovupack list "$WORK/real.exe" | awk '$NF == "WebCab1" { print $2 }')
size=$(tovupack list "$WORK/real.exe" | awk '$NF == "WebCab1" { print $3 }')
dd if="$WORK/real.exe" of="$WORK/WebCab1.cab" bs=1M iflag=skip_bytes,count_bytes skip="$cab" count="$size" status=none
sed -e 's/^CabSize=.*/CabSize=1000/' -e 's/^PackageSize=.*/PackageSize=1000/' -e 's/^Count=.*/Count=3/' \
  "$WORK/real.ini" >"$WORK/small.ini"

wine_fresh_prefix package_disk_full
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
wine_add_drive s "$WORK/small" hd
tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/small.ini" \
  --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
  --cabinet "$WORK/WebCab1.cab" --output "$WINEPREFIX/drive_c/Full.exe" >/dev/null || { echo "FAIL: tovupack --cabinet"; exit 1; }
XLOG="$(dirname "$(master_log)")/Demo.txt"
RECORD="$WINEPREFIX/drive_c/record.txt"

rc=0
TOVU_TEST_SETUP_RECORD='C:\record.txt' timeout 300 bash -c 'source "$0"; wine_run "C:\\Full.exe" -unattended "-extractpath=S:\\Pkg"' \
  "$TOVU_SOURCE_DIR/tests/wine/wine-lib.sh" >/dev/null 2>&1 || rc=$?
wine_stop

expect "exit code non-zero (got $rc)" [ "$rc" != 0 ]
expect "extraction log written" [ -f "$XLOG" ] || exit 1
tr -d '\r' <"$XLOG" >"$WORK/xlog.txt"
expect_lines_in_order "$WORK/xlog.txt" \
  "|ExtractPackage*|Extracting files from cabinet :" \
  "|ExtractPackage*|Return Code for cab extraction : 1015" \
  "|ERROR     |ExtractPackage*|Could not write the extracted file : S:\\Pkg\\" \
  "|RETURN    |STATUS*|Fail"
# The level-0 line ends with the system's text for a full disk (Wine's
# own wording, or Windows').
expect "the failed write's line gives the reason" grep -qE \
  '\|ERROR     \|ExtractPackage +\|Could not write the extracted file : S:\\Pkg\\.+ : (Disk full\.|There is not enough space on the disk\.)$' \
  "$WORK/xlog.txt"
grep -F 'Could not write the extracted file' "$WORK/xlog.txt"
after=$(awk '/Extracting files from cabinet :/ { on = 1 } on && /\|Success$/' "$WORK/xlog.txt")
expect "no Success after the extraction" [ -z "$after" ] || echo "$after"
expect "the setup did not start" [ ! -f "$RECORD" ]
# Nothing cut is left on the drive; the aborted extraction is cleaned up.
short=""
while IFS= read -r -d '' f; do
  rel=${f#"$WORK/small/Pkg/"}
  want=$(stat -c %s "$WORK/payload/$rel" 2>/dev/null || echo missing)
  [ "$(stat -c %s "$f")" = "$want" ] || short="$short $rel"
done < <(find "$WORK/small" -type f -print0)
expect "no payload file left cut on the drive" [ -z "$short" ] || echo "cut:$short"
expect "nothing left on the drive" [ -z "$(ls -A "$WORK/small")" ] || ls -lR "$WORK/small"
expect "the Tovu temp folder is removed" [ -z "$(ls -A "$WORK/d")" ]
expect "no Tovu temp folder on C:" [ -z "$(ls -d "$WINEPREFIX"/drive_c/\{* 2>/dev/null)" ]

[ "$fail" = 0 ] || { echo "---- extraction log"; cat "$WORK/xlog.txt"; }
exit "$fail"
