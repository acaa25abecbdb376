#!/usr/bin/env bash
# The package's rules in silent and unattended runs on a Windows 10 prefix:
# unmet conditions end the run with exit code 0 and without an extraction
# folder, an extraction-path limit that rejects every candidate ends it
# without one and with a failure exit code;
# an unattended run asking for a language the package does not list falls
# back to English; the [OS] rules give their verdict for the prefix's
# system.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

WORK=$(scenario_work package_rules)
wine_fresh_prefix package_rules
wine_run winecfg -v win10 >/dev/null 2>&1
mkdir -p "$WORK/d"
wine_remove_drive z
wine_add_drive d "$WORK/d" hd
trap 'wine_stop; rm -rf "$WORK"' EXIT
XLOG="$(dirname "$(master_log)")/Demo.txt"
TARGET="$WINEPREFIX/drive_c/users/$(id -un)/Temp/Demo"
fail=0

# make_package NAME SED-SCRIPT: the fixture package with its settings
# edited by SED-SCRIPT, copied to C:\NAME.exe.
make_package() {
  sed -e "$2" "$FIXTURES/Properties_Tovu.ini" >"$WORK/$1.ini"
  tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/$1.ini" \
    --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
    --cabinet "$FIXTURES/WebCab1.cab" --output "$WINEPREFIX/drive_c/$1.exe" >/dev/null
}

# run_case NAME PACKAGE PATTERN ARGS...: runs C:\PACKAGE.exe, expects exit
# code $WANT_RC (default 0) and PATTERN in the extraction log.
run_case() {
  local name=$1 pkg=$2 pattern=$3; shift 3
  rm -rf "$TARGET"
  local rc=0
  timeout 120 bash -c 'source "$0"; wine_run "C:\\$1.exe" "${@:2}"' "$TOVU_SOURCE_DIR/tests/wine/wine-lib.sh" "$pkg" "$@" \
    >/dev/null 2>&1 || rc=$?
  expect "$name: exit code ${WANT_RC:-0}" [ "$rc" = "${WANT_RC:-0}" ]
  expect "$name: logs '$pattern'" grep -qF -- "$pattern" "$XLOG"
}

# Conditions: a registry value the machine does not have.
make_package conditions 's/^Action1Condition=.*/Action1Condition=Condition1/;
  s/^Condition1=.*/Condition1={Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\TovuAbsent\\Version;{>=};{2.0};{MsgToolVersion}/'
run_case "unmet conditions" conditions "|InitDisplay                         |Condition not satisfied" -silent
expect "unmet conditions: no extraction folder" [ ! -e "$TARGET" ]
expect "unmet conditions: nothing extracted" not_in_file "$XLOG" "ExtractPackage"

# Every candidate folder is longer than the package allows: nothing can be
# extracted, and the exit code says so (-1 arrives as 255).
make_package maxlength 's/^ExtractPath=.*/&\nExtractPathMaxLength=5/'
WANT_RC=255 run_case "path limit" maxlength "|InitDisplay                         |Valid Extract path could not be found" -silent
expect "path limit: no extraction folder" [ ! -e "$TARGET" ]

# An unattended run asking for German; the package lists only English.
make_package language 's/^AutoLaunch=.*/AutoLaunch=/'
run_case "language fallback" language \
  "|SetLanguaeForProgressBar            |Language not supported. Default English taken as Setup language" \
  -unattended -setupLanguage=1031

# The [OS] rules against the prefix's Windows 10.
make_package os_allowed 's/^NoOSCheck=1/NoOSCheck=0/'
run_case "allowed system" os_allowed "|OSVersion                           |Supported OSes : Windows7+;Windows2008R264" -silent
expect "allowed system: named" grep -q "|OSVersion                           |Operating System : Windows10" "$XLOG"
expect "allowed system: no refusal" not_in_file "$XLOG" "Current operating system not supported"
make_package os_refused 's/^NoOSCheck=1/NoOSCheck=0/; s/^osallowed=.*/osallowed=WindowsXP;Windows2008R264/'
run_case "refused system" os_refused "|OSVersion                           |Show Error for OS" -silent

[ "$fail" = 0 ] || { echo "---- last extraction log"; tr -d '\r' <"$XLOG"; }
exit "$fail"
