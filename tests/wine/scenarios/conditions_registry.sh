#!/usr/bin/env bash
# The condition engine against a prefix shaped with `wine reg add`:
#   1. the worked example: HKLM\SOFTWARE\Tool in the 32-bit view holds
#      InstallDir = C:\Tool and Version = 1.9 (the 64-bit view holds other
#      values and a C:\Legacy\legacy.dll that must not count); then
#      Version = 2.5; then C:\Tool\legacy.dll appears;
#   2. values of each type (REG_DWORD, REG_MULTI_SZ, REG_BINARY, REG_SZ) in
#      HKLM\SOFTWARE\TovuTypes of both views, a missing value, a property
#      read from the 64-bit view, and a file found through a property.
# The test binary's ConditionsScenario case runs the check and compares it
# with TOVU_CONDITIONS_EXPECT ("<allowed>|<message keys>|<n>=<result>,...").
set -u
source "$(dirname "$0")/../wine-lib.sh"

EXE="$TOVU_BUILD_DIR/bin/win_conditions_win_test.exe"
if [ ! -f "$EXE" ]; then
  echo "FAIL: $EXE is missing (build the win64 flavour)"
  exit 1
fi
DATA="$(cd "$(dirname "$0")/../../data/conditions" && pwd)"
winpath() { echo "Z:$1" | tr / '\\'; }

wine_fresh_prefix conditions_registry
trap wine_stop EXIT
C="$WINEPREFIX/drive_c"

reg() { "$WINE_BIN" reg "$@" >/dev/null 2>&1 || { echo "FAIL: wine reg $*"; exit 1; }; }

failures=0
expect() {  # settings file, expectation, description
  echo "== $3"
  if TOVU_CONDITIONS_SETTINGS="$(winpath "$1")" TOVU_CONDITIONS_EXPECT="$2" \
      wine_run "$EXE" --gtest_filter='ConditionsScenario.*' >"$WINEPREFIX/run.out" 2>&1 &&
      grep -q '\[  PASSED  \] 1 test' "$WINEPREFIX/run.out"; then
    echo "ok: $2"
  else
    cat "$WINEPREFIX/run.out"
    echo "FAIL: $3 (expected $2)"
    failures=$((failures + 1))
  fi
}

# ---- 1. the worked example ------------------------------------------------------
reg add 'HKLM\SOFTWARE\Tool' /v InstallDir /d 'C:\Tool' /reg:32 /f
reg add 'HKLM\SOFTWARE\Tool' /v Version /d 1.9 /reg:32 /f
reg add 'HKLM\SOFTWARE\Tool' /v InstallDir /d 'C:\Legacy' /reg:64 /f
reg add 'HKLM\SOFTWARE\Tool' /v Version /d 9.9 /reg:64 /f
mkdir -p "$C/Tool" "$C/Legacy"
: >"$C/Legacy/legacy.dll"
# The 32-bit view of a 64-bit prefix is the Wow6432Node side.
if ! "$WINE_BIN" reg query 'HKLM\SOFTWARE\Wow6432Node\Tool' /v Version 2>/dev/null | grep -q '1\.9'; then
  echo "FAIL: reg add /reg:32 did not write HKLM\\SOFTWARE\\Wow6432Node\\Tool"
  failures=$((failures + 1))
fi

expect "$DATA/worked_example.ini" '0|{MsgRequirements};{MsgToolVersion};|1=0,2=0' \
  'Version 1.9, no C:\Tool\legacy.dll'
reg add 'HKLM\SOFTWARE\Tool' /v Version /d 2.5 /reg:32 /f
expect "$DATA/worked_example.ini" '1|{MsgRequirements};|1=1,2=0' 'Version 2.5'
: >"$C/Tool/legacy.dll"
expect "$DATA/worked_example.ini" '0|{MsgRequirements};|1=1,2=1' 'Version 2.5 and C:\Tool\legacy.dll present'
reg delete 'HKLM\SOFTWARE\Tool' /v Version /reg:32 /f
expect "$DATA/worked_example.ini" '0|{MsgRequirements};{MsgToolVersion};|1=0,2=1' 'Version missing'

# ---- 2. value types ---------------------------------------------------------------
K='HKLM\SOFTWARE\TovuTypes'
reg add "$K" /v Dword /t REG_DWORD /d 0xffffffff /reg:32 /f
reg add "$K" /v Multi /t REG_MULTI_SZ /d 'first\0second' /reg:32 /f
reg add "$K" /v Binary /t REG_BINARY /d 31003200 /reg:32 /f
reg add "$K" /v Version /d 2.9 /reg:32 /f
reg add "$K" /v DataDir /d "$(winpath "$DATA")" /reg:32 /f
reg add "$K" /v Only64 /d here /reg:64 /f
reg add "$K" /v Flavour /d Dword /reg:64 /f
expect "$DATA/registry_types.ini" '1|{MsgTypes};|1=1,2=1,3=1,4=1,5=1,6=0,7=1,8=1,9=1,10=1' \
  'REG_DWORD, REG_MULTI_SZ, REG_BINARY, REG_SZ in both views'
# The DWORD becomes 5 and the multi-string starts with another string.
reg add "$K" /v Dword /t REG_DWORD /d 5 /reg:32 /f
reg add "$K" /v Multi /t REG_MULTI_SZ /d 'second\0first' /reg:32 /f
expect "$DATA/registry_types.ini" '0|{MsgTypes};{MsgDword};{MsgMulti};{MsgWow};|1=0,2=0,3=1,4=1,5=1,6=0,7=1,8=0,9=1,10=1' \
  'changed DWORD and REG_MULTI_SZ'

if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures case(s)"
  exit 1
fi
echo "PASS"
