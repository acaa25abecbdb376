#!/usr/bin/env bash
# The packager as a package author meets it: `tovupack list` on a built
# package shows the five entries with the sizes of the input files and the
# start offset that the frame's own readers (the system's version API and
# the portable resource reader) find; the Windows build of tovupack makes
# the same package byte for byte and lists it the same way; bad input gets
# a message, a non-zero exit and no package at the output path.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

NATIVE="$TOVU_BUILD_DIR/../linux/bin/tovupack"
if [ ! -x "$NATIVE" ]; then
  echo "SKIP: no native tovupack in $TOVU_BUILD_DIR/../linux"
  exit 77
fi
WORK=$(scenario_work tovupack_cli)
FRAME="$TOVU_BUILD_DIR/bin/Fennock.exe"
fail=0

args_for() {
  echo --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" --entry "$FIXTURES/Defaultx.ulf" \
    --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
    --cabinet "$FIXTURES/WebCab1.cab" --output "$1"
}

# shellcheck disable=SC2046
"$NATIVE" build $(args_for "$WORK/Package.exe") >/dev/null || { echo "FAIL: build"; exit 1; }
"$NATIVE" list "$WORK/Package.exe" >"$WORK/list.txt"
expect "list exits 0" [ $? = 0 ]
cat "$WORK/list.txt"

# ---- the listing ------------------------------------------------------------
START=$(file_size "$FRAME")
expect "start offset is the frame's size" grep -q "^start offset: $START " "$WORK/list.txt"
settings_size=$(expected_settings_entry | wc -c)
check_entry() {  # name type size
  awk -v n="$1" -v t="$2" -v s="$3" '$NF == n && $4 == t && $3 == s { found = 1 } END { exit !found }' "$WORK/list.txt"
}
expect "Properties_Tovu.ini: settings, UTF-16LE size" check_entry Properties_Tovu.ini 200 "$settings_size"
for f in Defaultx.ulf 750TopImage.PNG 750BottomImage.PNG; do
  expect "$f: settings, input size" check_entry "$f" 200 "$(file_size "$FIXTURES/$f")"
done
expect "WebCab1: cabinet, input size" check_entry WebCab1 100 "$(file_size "$FIXTURES/WebCab1.cab")"
expect "entries in the order given" [ "$(awk 'NR > 2 && NF == 6 { printf "%s ", $NF }' "$WORK/list.txt")" = \
  "Properties_Tovu.ini Defaultx.ulf 750TopImage.PNG 750BottomImage.PNG WebCab1 " ]
expect "the list reaches the end of the file" grep -q "ends at offset $(file_size "$WORK/Package.exe") of " "$WORK/list.txt"
expect "the cabinet entry starts with TOVU" \
  [ "$(dd if="$WORK/Package.exe" bs=1 skip="$(awk '$NF == "WebCab1" { print $2 }' "$WORK/list.txt")" count=4 status=none)" = TOVU ]
expect "the settings entry is the UTF-16LE settings file" \
  cmp -s <(dd if="$WORK/Package.exe" bs=1 skip="$(awk '$NF == "Properties_Tovu.ini" { print $2 }' "$WORK/list.txt")" \
    count="$settings_size" status=none) <(expected_settings_entry)

# ---- the frame reads the same offset ---------------------------------------
cp "$WORK/Package.exe" "$WORK/probe.exe"
probe=$(cd "$WORK" && wine_run "$TOVU_BUILD_DIR/bin/win_subtype_probe.exe" probe.exe | tr -d '\r')
echo "probe: $probe"
expect "GetFileVersionInfoW and the resource reader both read $START" [ "$probe" = "system=$START file=$START" ]
probe=$(cd "$TOVU_BUILD_DIR/bin" && wine_run "$TOVU_BUILD_DIR/bin/win_subtype_probe.exe" Fennock.exe | tr -d '\r')
expect "the bare frame reads 0 both ways" [ "$probe" = "system=0 file=0" ]

# ---- the Windows build -----------------------------------------------------
# shellcheck disable=SC2046
wine_run "$TOVU_BUILD_DIR/bin/tovupack.exe" build $(args_for "$WORK/PackageWin.exe") >/dev/null
expect "tovupack.exe build exits 0" [ $? = 0 ]
expect "tovupack.exe makes the same package" cmp -s "$WORK/Package.exe" "$WORK/PackageWin.exe"
wine_run "$TOVU_BUILD_DIR/bin/tovupack.exe" list "$WORK/PackageWin.exe" | tr -d '\r' >"$WORK/listwin.txt"
expect "tovupack.exe lists it the same way" cmp -s "$WORK/list.txt" "$WORK/listwin.txt"

# ---- bad input ---------------------------------------------------------------
printf 'not a program' >"$WORK/notpe.exe"
printf 'x' >"$WORK/Bad:Name.txt"
cp "$FIXTURES/Defaultx.ulf" "$WORK/defaultx.ULF"
printf 'ABCD and more' >"$WORK/notcab.cab"
truncate -s 2G "$WORK/huge.exe"
printf '\xff\xfeA' >"$WORK/odd.ini"

# bad_case NAME EXIT MESSAGE-PIECE ARGS...: tovupack ARGS fails with EXIT,
# says MESSAGE-PIECE on standard error, and leaves no output file.
bad_case() {
  local name=$1 want=$2 piece=$3; shift 3
  rm -f "$WORK/out.exe"
  local rc=0
  "$NATIVE" "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" || rc=$?
  expect "$name: exit $want" [ "$rc" = "$want" ]
  expect "$name: says '$piece'" grep -qF -- "$piece" "$WORK/stderr.txt"
  expect "$name: no package written" [ ! -e "$WORK/out.exe" ]
  expect "$name: no temporary file left" [ -z "$(ls "$WORK"/out.exe.* 2>/dev/null)" ]
  return 0
}
base=(--settings "$FIXTURES/Properties_Tovu.ini" --cabinet "$FIXTURES/WebCab1.cab" --output "$WORK/out.exe")
bad_case "missing frame" 1 "cannot read the frame" build --frame "$WORK/nothere.exe" "${base[@]}"
bad_case "missing entry file" 1 "cannot open $WORK/nothere.ulf" build --frame "$FRAME" "${base[@]}" --entry "$WORK/nothere.ulf"
bad_case "frame not a PE file" 1 "not a PE file" build --frame "$WORK/notpe.exe" "${base[@]}"
bad_case "frame without a version record" 1 "no language-neutral version record" \
  build --frame "$TOVU_BUILD_DIR/bin/win_argv_echo.exe" "${base[@]}"
bad_case "frame that is a package already" 1 "already a package" build --frame "$WORK/Package.exe" "${base[@]}"
bad_case "frame of 2 GiB" 1 "at or beyond 2 GiB" build --frame "$WORK/huge.exe" "${base[@]}"
bad_case "entry name not a plain file name" 1 "not a plain file name" \
  build --frame "$FRAME" "${base[@]}" --entry "$WORK/Bad:Name.txt"
bad_case "duplicate entry names (case ignored)" 1 "two entries would be named \"defaultx.ULF\"" \
  build --frame "$FRAME" "${base[@]}" --entry "$FIXTURES/Defaultx.ulf" --entry "$WORK/defaultx.ULF"
bad_case "cabinet that is not one" 1 "not a cabinet file" \
  build --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" --cabinet "$WORK/notcab.cab" --output "$WORK/out.exe"
bad_case "settings of odd UTF-16 length" 1 "odd number of bytes" \
  build --frame "$FRAME" --settings "$WORK/odd.ini" --cabinet "$FIXTURES/WebCab1.cab" --output "$WORK/out.exe"
bad_case "missing --cabinet" 2 "build needs --cabinet" \
  build --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" --output "$WORK/out.exe"
bad_case "unknown option" 2 "unknown argument '--colour'" build --colour
bad_case "list of a bare frame" 1 "is a bare frame" list "$FRAME"
expect "--help prints the usage" sh -c "'$NATIVE' --help | grep -q '^Usage:'"
expect "--version prints the version" sh -c "'$NATIVE' --version | grep -q '^tovupack [0-9]'"

# An existing package at the output path stays as it was when the build fails.
cp "$WORK/Package.exe" "$WORK/keep.exe"
"$NATIVE" build --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" --cabinet "$WORK/notcab.cab" \
  --output "$WORK/keep.exe" 2>/dev/null
expect "a failed build leaves the old output untouched" cmp -s "$WORK/Package.exe" "$WORK/keep.exe"

# A disk that fills up while the package is written (256 KiB for a package
# of more than 600 KiB): no package, no part
# file left (root only: needs a small tmpfs).
if [ "$(id -u)" = 0 ] && mkdir -p "$WORK/small" && mount -t tmpfs -o size=256k tmpfs "$WORK/small" 2>/dev/null; then
  rc=0
  "$NATIVE" build $(args_for "$WORK/small/out.exe") 2>"$WORK/stderr.txt" || rc=$?
  expect "full disk: exit 1" [ "$rc" = 1 ]
  expect "full disk: says it cannot write" grep -q "cannot write" "$WORK/stderr.txt"
  expect "full disk: nothing left on the disk" [ -z "$(ls -A "$WORK/small")" ]
  umount "$WORK/small"
else
  echo "note: full-disk case skipped (needs root and tmpfs)"
fi

rm -rf "$WORK"
exit "$fail"
