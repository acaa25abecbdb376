#!/usr/bin/env bash
# Silent and unattended installs end to end, as a deployment script runs
# them: a package built by tovupack from a folder of setup files, the
# setups a test program that records its command line and returns the code
# it is told to. The exit code and the log must tell the truth: a return
# code configured as success gives 0, one configured as an error with
# ExitOnAutolaunchFailure gives that code and stops the launch sequence, a
# missing setup file and a cabinet that cannot be extracted give non-zero
# exit codes with a level-0 line naming the cause.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

SETUP_EXE="$TOVU_BUILD_DIR/bin/win_test_setup.exe"
[ -f "$SETUP_EXE" ] || { echo "SKIP: no win_test_setup.exe"; exit 77; }
WORK=$(scenario_work package_install)
wine_fresh_prefix package_install
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
trap 'wine_stop; rm -rf "$WORK"' EXIT
XLOG="$(dirname "$(master_log)")/Demo.txt"
TARGET="$WINEPREFIX/drive_c/Install/Demo"
fail=0

mkdir -p "$WORK/payload/sub"
cp "$SETUP_EXE" "$WORK/payload/setup.exe"
cp "$SETUP_EXE" "$WORK/payload/sub/second.exe"
printf 'demo product\r\n' >"$WORK/payload/readme.txt"

# make_package NAME SED-SCRIPT [PAYLOAD]: the fixture settings with the
# extraction folder C:\Install\Demo, edited by SED-SCRIPT.
make_package() {
  sed -e 's/^ExtractPath=.*/ExtractPath=C:\\Install\\Demo/' -e 's/^NoOSCheck=.*/NoOSCheck=1/' \
    -e 's/^AutoLaunch=.*/AutoLaunch=setup.exe/' -e "$2" \
    "$FIXTURES/Properties_Tovu.ini" >"$WORK/$1.ini"
  tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/$1.ini" \
    --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
    --payload "${3:-$WORK/payload}" --output "$WINEPREFIX/drive_c/$1.exe" >/dev/null
}

# run_case NAME PACKAGE EXIT ARGS...
run_case() {
  local name=$1 pkg=$2 want=$3; shift 3
  rm -rf "$TARGET"
  local rc=0
  TOVU_TEST_SETUP_RECORD='C:\record.txt' timeout 180 bash -c 'source "$0"; wine_run "C:\\$1.exe" "${@:2}"' \
    "$TOVU_SOURCE_DIR/tests/wine/wine-lib.sh" "$pkg" "$@" >/dev/null 2>&1 || rc=$?
  # An exit code of -1 arrives as 255.
  expect "$name: exit code $want" [ "$rc" = "$want" ]
}
RECORD="$WINEPREFIX/drive_c/record.txt"

# One setup (setup.exe) whose 3010 is configured as success.
make_package success 's/^LaunchEXEParams=.*/LaunchEXEParams=\/exit=3010 \/quiet/;
  s/^\[Tovu\]/[AutoLaunch]\nReturnCode_3010=success:{MsgReboot}\n\n[Tovu]/;
  s/^MsgSupportedOS=.*/&\nMsgReboot=Restart the computer to finish./'
rm -f "$RECORD"
run_case "3010 configured as success" success 0 -unattended
expect "the setup ran once" [ "$(grep -c '^\[run\]' "$RECORD" 2>/dev/null)" = 1 ]
expect "the setup got the language's parameters" grep -q '/exit=3010 /quiet' "$RECORD"
expect "the payload is extracted" [ -f "$TARGET/readme.txt" ]
expect "no level-0 line" not_in_file "$XLOG" "|ERROR     |"

# The same setup returns 1, configured as an error, with ExitOnAutolaunchFailure.
make_package failure 's/^LaunchEXEParams=.*/LaunchEXEParams=\/exit=1/;
  s/^AllowChangeTarget=.*/&\nExitOnAutolaunchFailure=1/;
  s/^\[Tovu\]/[AutoLaunch]\nReturnCode_1=error:{MsgFail}\n\n[Tovu]/;
  s/^MsgSupportedOS=.*/&\nMsgFail=The setup failed./'
run_case "1 configured as an error" failure 1 -silent

# Two setups; the first fails with a configured error: the second never starts.
make_package twosetups 's/^AutoLaunch=.*/Multilaunch=1\nAutoLaunch1=setup.exe\nAutoLaunch2=sub\\second.exe/;
  s/^AllowChangeTarget=.*/&\nExitOnAutolaunchFailure=1/;
  s/^LaunchEXEParams=.*/LaunchEXEParams1=\/exit=1\nLaunchEXEParams2=\/exit=0/;
  s/^\[Tovu\]/[AutoLaunch1]\nReturnCode_1=error:{MsgFail}\n\n[Tovu]/;
  s/^MsgSupportedOS=.*/&\nMsgFail=The setup failed./'
rm -f "$RECORD"
run_case "two setups, the first fails" twosetups 1 -silent
expect "only the first setup started" [ "$(grep -c '^\[run\]' "$RECORD" 2>/dev/null)" = 1 ]

# A setup file the cabinet does not hold.
make_package missing 's/^AutoLaunch=.*/AutoLaunch=notthere.exe/'
run_case "missing setup file" missing 255 -silent
expect "missing setup file: a level-0 line" grep -q "|ERROR     |" "$XLOG"

# A cabinet that cannot be extracted: its data damaged behind the header.
make_package corrupt 's/^AutoLaunch=.*/AutoLaunch=setup.exe/'
pkg="$WINEPREFIX/drive_c/corrupt.exe"
cab=$(tovupack list "$pkg" | awk '$NF == "WebCab1" { print $2 }')
size=$(tovupack list "$pkg" | awk '$NF == "WebCab1" { print $3 }')
dd if=/dev/urandom of="$pkg" bs=1 seek=$((cab + 200)) count=$((size - 300)) conv=notrunc status=none
run_case "corrupt cabinet" corrupt 255 -silent
expect "corrupt cabinet: a level-0 line" grep -q "|ERROR     |" "$XLOG"
expect "corrupt cabinet: no success line" not_in_file "$XLOG" "|ExtractPackage                      |Success"

[ "$fail" = 0 ] || { echo "---- last extraction log"; tr -d '\r' <"$XLOG"; [ -f "$RECORD" ] && cat "$RECORD"; }
exit "$fail"
