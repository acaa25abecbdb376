#!/usr/bin/env bash
# tovupack writes the cabinet from a payload folder: the package's WebCab1
# entry, with "MSCF" put back, is read by cabextract into the payload tree
# byte for byte with its time stamps (empty files, sub-folders, non-ASCII
# names, files of 32 KiB and 32 KiB + 1, text and random data), stored or
# MSZIP-compressed; the settings entry carries the sizes and the file
# count and the cabinet the set ID of [Tovu] GUID2. A multipart package
# gets part files beside it, no cabinet entry, and the parts' names and
# digests in [PartFileIno] and [HashCode]; cabextract reads the set. The
# Windows build writes the same package and parts. What the settings or
# the payload do not allow is refused, leaving nothing behind.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

NATIVE=${TOVUPACK_NATIVE:-$TOVU_BUILD_DIR/../linux/bin/tovupack}
if [ ! -x "$NATIVE" ]; then
  echo "SKIP: no native tovupack in $TOVU_BUILD_DIR/../linux (or \$TOVUPACK_NATIVE)"
  exit 77
fi
if ! command -v cabextract >/dev/null; then
  echo "SKIP: cabextract is not installed"
  exit 77
fi
WORK=$(scenario_work tovupack_payload)
FRAME="$TOVU_BUILD_DIR/bin/Fennock.exe"
P="$WORK/payload"
fail=0

# ---- the payload -------------------------------------------------------------
mkdir -p "$P/Data/Sub/deep" "$P/Daten" "$P/日本語"
head -c 70000 /dev/urandom >"$P/setup.exe"
: >"$P/empty.txt"
: >"$P/Data/Sub/zero"
head -c 32768 /dev/urandom >"$P/Data/a32k.bin"
yes "setup data line for the package" | head -c 32769 >"$P/Data/b32k1.bin"
yes "readme text of the payload, with some words" | head -c 200000 >"$P/Data/Sub/deep/readme.txt"
printf 'Größe' >"$P/Daten/Größe ä.txt"
head -c 300000 /dev/urandom >"$P/日本語/ファイル.dat"
chmod a-w "$P/Data/a32k.bin"
n=0
while IFS= read -r -d '' f; do  # even seconds: DOS time stamps have 2-second steps
  touch -d "@$((1600000000 + n * 86402))" "$f"; n=$((n + 1))
done < <(find "$P" -type f -print0)
payload_files=$(find "$P" -type f | wc -l)
payload_bytes=$(find "$P" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')

# entry_bytes PACKAGE NAME: the bytes of an entry.
entry_bytes() {
  local line; line=$("$NATIVE" list "$1" | awk -v n="$2" '$NF == n { print $2, $3 }')
  [ -n "$line" ] || return 1
  set -- "$1" $line
  tail -c +$(($2 + 1)) "$1" | head -c "$3"
}
settings_text() { entry_bytes "$1" Properties_Tovu.ini | iconv -f UTF-16 -t UTF-8 | tr -d '\r'; }
# ini_value TEXT-FILE SECTION KEY
ini_value() {
  awk -F= -v s="[$2]" -v k="$3" 'tolower($0) == tolower(s) { in_s = 1; next } /^\[/ { in_s = 0 }
    in_s && tolower($1) == tolower(k) { print substr($0, length($1) + 2); exit }' "$1"
}
le16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
# same_tree DIR: DIR holds the payload's files, bytes and time stamps.
same_tree() {
  diff -r "$P" "$1" >/dev/null || return 1
  local f
  while IFS= read -r -d '' f; do
    [ "$(stat -c %Y "$f")" = "$(stat -c %Y "$1/${f#"$P"/}")" ] || { echo "time stamp of ${f#"$P"/} differs"; return 1; }
  done < <(find "$P" -type f -print0)
}
# cabextract_set OUT CABINET...: "MSCF" back in place, cabextract from the first.
cabextract_set() {
  local out=$1; shift
  rm -rf "$WORK/readable" "$out"; mkdir -p "$WORK/readable" "$out"
  for c in "$@"; do { printf 'MSCF'; tail -c +5 "$c"; } >"$WORK/readable/$(basename "$c")"; done
  cabextract -q -d "$out" "$WORK/readable/$(basename "$1")" 2>"$WORK/cabextract.err"
}

build() {  # OUTPUT SETTINGS EXTRA...
  local out=$1 settings=$2; shift 2
  "$NATIVE" build --frame "$FRAME" --settings "$settings" --entry "$FIXTURES/Defaultx.ulf" --payload "$P" \
    --output "$out" "$@" >"$WORK/build.out"
}

# ---- one cabinet -------------------------------------------------------------
for compression in mszip none; do
  build "$WORK/Package-$compression.exe" "$FIXTURES/Properties_Tovu.ini" --compression "$compression"
  expect "$compression: build exits 0" [ $? = 0 ]
  entry_bytes "$WORK/Package-$compression.exe" WebCab1 >"$WORK/WebCab1-$compression"
  expect "$compression: the cabinet entry starts with TOVU" [ "$(head -c 4 "$WORK/WebCab1-$compression")" = TOVU ]
  expect "$compression: set ID is GUID2 38629" [ "$(le16 "$WORK/WebCab1-$compression" 32)" = 38629 ]
  expect "$compression: compression field" [ "$(le16 "$WORK/WebCab1-$compression" 42)" = "$([ $compression = mszip ] && echo 1 || echo 0)" ]
  cabextract_set "$WORK/out-$compression" "$WORK/WebCab1-$compression"
  expect "$compression: cabextract reads it" [ $? = 0 ]
  expect "$compression: it gives the payload, bytes and time stamps" same_tree "$WORK/out-$compression"
  settings_text "$WORK/Package-$compression.exe" >"$WORK/settings-$compression.txt"
  expect "$compression: [Size] CabSize is the cabinet's size" \
    [ "$(ini_value "$WORK/settings-$compression.txt" Size CabSize)" = "$(stat -c %s "$WORK/WebCab1-$compression")" ]
  expect "$compression: [Size] PackageSize is the payload's size" \
    [ "$(ini_value "$WORK/settings-$compression.txt" Size PackageSize)" = "$payload_bytes" ]
  expect "$compression: [FileCount] Count" [ "$(ini_value "$WORK/settings-$compression.txt" FileCount Count)" = "$payload_files" ]
  expect "$compression: the other keys stay" [ "$(ini_value "$WORK/settings-$compression.txt" Size 128MB)" = 5242880 ]
done
expect "mszip makes the cabinet smaller" [ "$(stat -c %s "$WORK/WebCab1-mszip")" -lt "$(stat -c %s "$WORK/WebCab1-none")" ]
expect "the author's settings file is unchanged" git -C "$TOVU_SOURCE_DIR" diff --quiet -- tests/data/package/Properties_Tovu.ini
expect "the non-ASCII member name carries the UTF-8 flag" grep -qa 'Daten\\Größe ä.txt' "$WORK/WebCab1-mszip"

# ---- a multipart package -------------------------------------------------------
MULTI="$WORK/multi.ini"
sed -e 's/^MultipartDownload=0/MultiPartDownload=1\r\nMultipartFileName=Demo Parts/' -e 's/^PartSize=.*/PartSize=70000\r/' \
  "$FIXTURES/Properties_Tovu.ini" >"$MULTI"
printf '[PartFileIno]\r\n009=stale\r\n' >>"$MULTI"
mkdir -p "$WORK/multi"
build "$WORK/multi/Package.exe" "$MULTI"
expect "multipart: build exits 0" [ $? = 0 ]
mapfile -t parts < <(ls "$WORK/multi/Demo Parts."[0-9][0-9][0-9] 2>/dev/null)
echo "parts: ${#parts[@]}"
expect "multipart: several parts beside the package" [ "${#parts[@]}" -ge 5 ]
expect "multipart: no cabinet entry" sh -c "! '$NATIVE' list '$WORK/multi/Package.exe' | grep -q WebCab1"
expect "multipart: nothing else left beside it" [ "$(ls "$WORK/multi" | wc -l)" = $((${#parts[@]} + 1)) ]
settings_text "$WORK/multi/Package.exe" >"$WORK/settings-multi.txt"
sum=0 ok=1
for i in "${!parts[@]}"; do
  part=${parts[$i]} key=$(printf '%03d' $((i + 1)))
  size=$(stat -c %s "$part"); sum=$((sum + size))
  [ "$(head -c 4 "$part")" = TOVU ] || { echo "part $key: no TOVU"; ok=0; }
  [ "$(le16 "$part" 32)" = 38629 ] || { echo "part $key: set ID"; ok=0; }
  [ "$(le16 "$part" 34)" = "$i" ] || { echo "part $key: index"; ok=0; }
  if [ $((i + 1)) -lt ${#parts[@]} ] && { [ "$size" -gt 70000 ] || [ "$size" -lt 69700 ]; }; then
    echo "part $key: size $size"; ok=0
  fi
  [ "$(ini_value "$WORK/settings-multi.txt" PartFileIno "$key")" = "Demo Parts.$key" ] || { echo "part $key: PartFileIno"; ok=0; }
  [ "$(ini_value "$WORK/settings-multi.txt" HashCode "$key")" = "$(sha1sum "$part" | cut -c1-32)" ] ||
    { echo "part $key: HashCode"; ok=0; }
done
expect "multipart: each part: TOVU, set ID, index, size, its name and digest in the settings" [ $ok = 1 ]
expect "multipart: the stale part key is gone" [ -z "$(ini_value "$WORK/settings-multi.txt" PartFileIno 009)" ]
expect "multipart: CabSize is the parts' sum" [ "$(ini_value "$WORK/settings-multi.txt" Size CabSize)" = "$sum" ]
cabextract_set "$WORK/out-multi" "${parts[@]}"
expect "multipart: cabextract reads the set" [ $? = 0 ]
expect "multipart: it gives the payload, bytes and time stamps" same_tree "$WORK/out-multi"
rm -rf "$WORK/multi2"; mkdir -p "$WORK/multi2"
build "$WORK/multi2/Package.exe" "$MULTI" --part-size 200000
expect "--part-size overrides PartSize" [ "$(ls "$WORK/multi2/Demo Parts."* | wc -l)" -lt "${#parts[@]}" ]

# ---- the Windows build ------------------------------------------------------------
wine_run "$TOVU_BUILD_DIR/bin/tovupack.exe" build --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" \
  --entry "$FIXTURES/Defaultx.ulf" --payload "$P" --output "$WORK/PackageWin.exe" >/dev/null
expect "tovupack.exe: build exits 0" [ $? = 0 ]
expect "tovupack.exe writes the same package" cmp -s "$WORK/Package-mszip.exe" "$WORK/PackageWin.exe"
mkdir -p "$WORK/multiwin"
wine_run "$TOVU_BUILD_DIR/bin/tovupack.exe" build --frame "$FRAME" --settings "$MULTI" --entry "$FIXTURES/Defaultx.ulf" \
  --payload "$P" --output "$WORK/multiwin/Package.exe" >/dev/null 2>"$WORK/multiwin.err"
expect "tovupack.exe: multipart build exits 0" [ $? = 0 ] || cat "$WORK/multiwin.err"
ok=1
for part in "${parts[@]}"; do cmp -s "$part" "$WORK/multiwin/$(basename "$part")" || ok=0; done
expect "tovupack.exe writes the same parts" [ $ok = 1 ]
expect "tovupack.exe: the same settings entry (digests through CryptoAPI)" \
  cmp -s "$WORK/settings-multi.txt" <(settings_text "$WORK/multiwin/Package.exe")

# ---- refusals -------------------------------------------------------------------------
# bad_case NAME EXIT MESSAGE-PIECE ARGS...: fails with EXIT, says MESSAGE-PIECE,
# leaves neither a package nor parts nor temporary files in $WORK/bad.
bad_case() {
  local name=$1 want=$2 piece=$3; shift 3
  rm -rf "$WORK/bad"; mkdir -p "$WORK/bad"
  local rc=0
  "$NATIVE" build --frame "$FRAME" --output "$WORK/bad/out.exe" "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" || rc=$?
  expect "$name: exit $want" [ "$rc" = "$want" ]
  expect "$name: says '$piece'" grep -qF -- "$piece" "$WORK/stderr.txt"
  expect "$name: nothing left behind" [ -z "$(ls -A "$WORK/bad")" ]
}
sed 's/^PartSize=.*//' "$MULTI" >"$WORK/nosize.ini"
sed 's/^GUID2=.*/GUID2=70000/' "$FIXTURES/Properties_Tovu.ini" >"$WORK/badguid.ini"
mkdir -p "$WORK/longname/$(printf 'd%.0s' {1..200})"
printf x >"$WORK/longname/$(printf 'd%.0s' {1..200})/$(printf 'f%.0s' {1..60})"
mkdir -p "$WORK/emptydir/sub"
s=(--settings "$FIXTURES/Properties_Tovu.ini")
bad_case "multipart without a part size" 1 "needs a part size" --settings "$WORK/nosize.ini" --payload "$P"
bad_case "part size too small" 1 "part size 1000 is outside" --settings "$MULTI" --payload "$P" --part-size 1000
bad_case "GUID2 beyond 16 bits" 1 "[Tovu] GUID2 is \"70000\"" --settings "$WORK/badguid.ini" --payload "$P"
bad_case "--part-size without multipart" 1 "needs a multipart package" "${s[@]}" --payload "$P" --part-size 100000
bad_case "member name over 255 bytes" 1 "a cabinet member name holds at most 255" "${s[@]}" --payload "$WORK/longname"
bad_case "payload without files" 1 "holds no files" "${s[@]}" --payload "$WORK/emptydir"
bad_case "missing payload folder" 1 "cannot read the folder" "${s[@]}" --payload "$WORK/nothere"
bad_case "cabinet and payload" 2 "not both" "${s[@]}" --payload "$P" --cabinet "$FIXTURES/WebCab1.cab"
bad_case "unknown compression" 2 "--compression takes mszip or none" "${s[@]}" --payload "$P" --compression lzx
bad_case "--threads without a payload" 2 "go with --payload" "${s[@]}" --cabinet "$FIXTURES/WebCab1.cab" --threads 2

rm -rf "$WORK"
exit "$fail"
