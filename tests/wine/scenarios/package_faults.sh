#!/usr/bin/env bash
# Faults a package meets on real machines, each run unattended as a
# deployment tool starts it, with the exit code, the log and what is left
# on disk checked:
#   - the extraction folder on a read-only drive (R:, a read-only tmpfs):
#     the validator refuses it with the permission line; with a writable
#     package folder the run goes on there, with every candidate read-only
#     it stops with "Valid Extract path could not be found" and a failure
#     exit code, and nothing is written anywhere;
#   - the run killed in the middle of its extraction (a large payload of
#     incompressible files): a second run must go to its end with every
#     file right, whatever the killed one left behind;
#   - the package started from a CD-ROM drive (L:, read-only): it runs to
#     its end with its Tovu temp folder on a fixed drive.
# Mounting needs root (exit 77 otherwise).
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

SETUP_EXE="$TOVU_BUILD_DIR/bin/win_test_setup.exe"
[ -f "$SETUP_EXE" ] || { echo "SKIP: no win_test_setup.exe"; exit 77; }
if [ "$(id -u)" != 0 ]; then
  echo "SKIP: the read-only drives are tmpfs mounts, which need root"
  exit 77
fi

WORK="$TOVU_BUILD_DIR/wine/scratch/package_faults.work"
MOUNTS=()
BACKGROUND=""
cleanup() {
  [ -n "$BACKGROUND" ] && kill -9 "$BACKGROUND" 2>/dev/null
  wine_stop
  for m in "${MOUNTS[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
  rm -rf "$WORK"
}
for m in "$WORK/ro" "$WORK/cd"; do
  if mountpoint -q "$m" 2>/dev/null; then umount "$m" || umount -l "$m"; fi
done
rm -rf "$WORK"
mkdir -p "$WORK"/{ro,cd,d}
trap cleanup EXIT

mount_tmpfs() {  # OPTIONS DIR
  if ! mount -t tmpfs -o "$1" tmpfs "$2"; then
    echo "SKIP: mount -t tmpfs -o $1 failed (no mount rights in this container)"
    exit 77
  fi
  MOUNTS+=("$2")
}
mount_tmpfs size=4m,ro "$WORK/ro"

wine_fresh_prefix package_faults
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
wine_add_drive r "$WORK/ro" hd
LOGDIR=$(dirname "$(master_log)")
XLOG="$LOGDIR/Demo.txt"
RECORD="$WINEPREFIX/drive_c/record.txt"
fail=0

# make_package OUTPUT PAYLOAD SED-SCRIPT: the fixture settings with the
# extraction folder C:\Install\Demo and setup.exe started with /exit=0,
# edited by SED-SCRIPT.
make_package() {
  sed -e 's/^ExtractPath=.*/ExtractPath=C:\\Install\\Demo/' -e 's/^NoOSCheck=.*/NoOSCheck=1/' \
    -e 's/^AutoLaunch=.*/AutoLaunch=setup.exe/' -e 's/^LaunchEXEParams=.*/LaunchEXEParams=\/exit=0/' -e "$3" \
    "$FIXTURES/Properties_Tovu.ini" >"$WORK/package.ini"
  tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/package.ini" \
    --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
    --payload "$2" --output "$1" >/dev/null
}

# run_package WINDOWS-PATH ARGS...: runs the package unattended, sets $rc.
run_package() {
  rm -f "$RECORD" "$XLOG" "$(master_log)"
  rc=0
  TOVU_TEST_SETUP_RECORD='C:\record.txt' timeout 400 bash -c 'source "$0"; wine_run "$@"' \
    "$TOVU_SOURCE_DIR/tests/wine/wine-lib.sh" "$@" >/dev/null 2>&1 || rc=$?
}

# Tovu temp folders ({GUID}) on the roots of C: and D:.
temp_folders() { ls -d "$WINEPREFIX"/drive_c/\{*\} "$WORK"/d/\{*\} 2>/dev/null; }

runs_of_setup() { grep -c '^\[run\]' "$RECORD" 2>/dev/null || echo 0; }

# same_tree SOURCE TARGET: every file of SOURCE is in TARGET, byte for byte.
same_tree() {
  [ -d "$2" ] && diff <(cd "$1" && find . -type f -exec md5sum {} + | sort -k2) \
    <(cd "$2" && find . -type f -exec md5sum {} + | sort -k2) >/dev/null
}

show_logs() {
  echo "---- master log"; tr -d '\r' <"$(master_log)" 2>/dev/null | tail -n 40
  echo "---- extraction log"; tr -d '\r' <"$XLOG" 2>/dev/null | tail -n 60
}

mkdir -p "$WORK/small"
cp "$SETUP_EXE" "$WORK/small/setup.exe"
printf 'demo product\r\n' >"$WORK/small/readme.txt"

# ---- 1. extraction folder on a read-only drive ------------------------------
echo "== read-only extraction folder"
make_package "$WINEPREFIX/drive_c/Small.exe" "$WORK/small" ''
run_package 'C:\Small.exe' -unattended '-extractpath=R:\Demo'
expect "-extractpath on R:: refused with the permission line" \
  grep -qF '|Please check the permission of the path : R:\Demo' "$XLOG" || show_logs
expect "-extractpath on R:: the package's own folder is taken instead" \
  grep -qF '|Extract Path : C:\Install\Demo\' "$XLOG"
expect "-extractpath on R:: exit 0 after the setup ran" [ "$rc" = 0 ]
expect "-extractpath on R:: the setup ran from C:\\Install\\Demo" [ "$(runs_of_setup)" = 1 ]
expect "-extractpath on R:: nothing on R:" [ -z "$(ls -A "$WORK/ro")" ]
rm -rf "$WINEPREFIX/drive_c/Install"

# Every candidate read-only: the package's folder on R: too, and %TEMP%
# (the last candidate) pointed at R:.
make_package "$WINEPREFIX/drive_c/Readonly.exe" "$WORK/small" 's/^ExtractPath=.*/ExtractPath=R:\\Demo/'
user_temp=$("$WINE_BIN" reg query 'HKCU\Environment' /v TEMP 2>/dev/null | tr -d '\r' |
  awk '$1 == "TEMP" { sub(/^[^R]*REG_[A-Z_]*[ \t]+/, ""); print }')
"$WINE_BIN" reg add 'HKCU\Environment' /v TEMP /d 'R:\Temp' /f >/dev/null 2>&1
wineserver -w
run_package 'C:\Readonly.exe' -unattended '-extractpath=R:\Other'
"$WINE_BIN" reg add 'HKCU\Environment' /v TEMP /d "$user_temp" /f >/dev/null 2>&1
wineserver -w
expect "the user's TEMP is back ($user_temp)" [ -n "$user_temp" ]
log_of_refusal=$XLOG
[ -f "$XLOG" ] || log_of_refusal=$(master_log)
expect "all read-only: R:\\Other refused" grep -qF '|Please check the permission of the path : R:\Other' "$log_of_refusal" ||
  show_logs
expect "all read-only: R:\\Demo refused" grep -qF '|Please check the permission of the path : R:\Demo' "$log_of_refusal"
expect "all read-only: a level-0 \"Valid Extract path could not be found\"" \
  grep -qF '|ERROR     |InitDisplay                         |Valid Extract path could not be found' "$log_of_refusal"
expect "all read-only: exit code -1 (255), not a success" [ "$rc" = 255 ]
expect "all read-only: the setup never started" [ "$(runs_of_setup)" = 0 ]
expect "all read-only: nothing on R:" [ -z "$(ls -A "$WORK/ro")" ]
expect "all read-only: no Tovu temp folder left" [ -z "$(temp_folders)" ] || { temp_folders; show_logs; }
expect "all read-only: no extraction folder on C:" [ ! -e "$WINEPREFIX/drive_c/Install" ]

# ---- 2. the run killed in the middle of its extraction ----------------------
echo "== killed during extraction"
mkdir -p "$WORK/large/data"
cp "$SETUP_EXE" "$WORK/large/setup.exe"
for i in $(seq -w 1 48); do head -c $((3 * 512 * 1024)) /dev/urandom >"$WORK/large/data/part$i.bin"; done
make_package "$WINEPREFIX/drive_c/Large.exe" "$WORK/large" ''
TARGET="$WINEPREFIX/drive_c/Install/Demo"
rm -rf "$WINEPREFIX/drive_c/Install" "$RECORD" "$XLOG"
TOVU_TEST_SETUP_RECORD='C:\record.txt' wine_with_display "$WINE_BIN" 'C:\Large.exe' -unattended >/dev/null 2>&1 &
BACKGROUND=$!
# Killed once the cabinet's files are being written: the extraction log
# names the first one of them.
started=""
for _ in $(seq 1 1200); do
  if grep -qF '\Install\Demo\data\part' "$XLOG" 2>/dev/null || [ -n "$(ls "$TARGET/data" 2>/dev/null)" ]; then
    started=1
    break
  fi
  kill -0 "$BACKGROUND" 2>/dev/null || break
  sleep 0.25
done
wineserver -k 2>/dev/null
wait "$BACKGROUND" 2>/dev/null
BACKGROUND=""
wineserver -w
expect "the first run was killed while it extracted" [ -n "$started" ] || show_logs
files_left=$(ls "$TARGET/data" 2>/dev/null | wc -l)
short_files=$(find "$TARGET/data" -type f ! -size $((3 * 512 * 1024))c 2>/dev/null | wc -l)
echo "killed run left: $files_left of 48 data files in C:\\Install\\Demo\\data ($short_files cut short);" \
  "Tovu temp folders: $(temp_folders | xargs -r -n1 basename | tr '\n' ' ')"
for t in $(temp_folders); do echo "  $(basename "$t"): $(ls "$t" | tr '\n' ' ')"; done
expect "the killed run did not finish its extraction" [ "$(runs_of_setup)" = 0 ]
cp "$XLOG" "$WORK/killed.log" 2>/dev/null

run_package 'C:\Large.exe' -unattended
expect "rerun after the kill: exit 0" [ "$rc" = 0 ] || show_logs
expect "rerun after the kill: the setup started once" [ "$(runs_of_setup)" = 1 ]
expect "rerun after the kill: every file extracted whole" same_tree "$WORK/large" "$TARGET"
expect "rerun after the kill: no level-0 line" not_in_file "$XLOG" "|ERROR     |"
expect "rerun after the kill: no second-instance refusal" not_in_file "$(master_log)" "Another instance is already running."
rm -rf "$WINEPREFIX/drive_c/Install"

# ---- 3. started from a CD-ROM ----------------------------------------------
echo "== started from a CD-ROM"
mount_tmpfs size=8m "$WORK/cd"
make_package "$WORK/cd/Small.exe" "$WORK/small" ''
if ! mount -o remount,ro "$WORK/cd"; then
  echo "SKIP: remounting the CD's tmpfs read-only failed"
  exit 77
fi
wine_add_drive l "$WORK/cd" cdrom
before=$(temp_folders)
run_package 'L:\Small.exe' -unattended
expect "from the CD: exit 0" [ "$rc" = 0 ] || show_logs
expect "from the CD: the setup started once" [ "$(runs_of_setup)" = 1 ]
expect "from the CD: the payload extracted" same_tree "$WORK/small" "$WINEPREFIX/drive_c/Install/Demo"
expect "from the CD: the Tovu temp folder was on a fixed drive" \
  grep -Eq '\|Directory created : [CD]:\\\{[0-9A-F-]{36}\}' "$(master_log)"
expect "from the CD: that folder is removed at exit" [ "$(temp_folders)" = "$before" ]
expect "from the CD: nothing but the package on the CD" [ "$(ls -A "$WORK/cd")" = Small.exe ]
expect "from the CD: no level-0 line" not_in_file "$XLOG" "|ERROR     |"

[ "$fail" = 0 ] || show_logs
exit "$fail"
