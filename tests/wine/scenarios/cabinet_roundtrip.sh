#!/usr/bin/env bash
# Packages that tovupack builds from payload folders are extracted by the
# frame's own extraction path under Wine (the worker ExtractPackage over
# Wine's Cabinet.dll, through tests/win/helpers/cab_roundtrip.cpp), and the
# extracted tree is the payload: the same files byte for byte, no more, no
# fewer, with their time stamps, and read-only where the payload file was.
# Single cabinets, copied out of the package's container first: stored and
# MSZIP, a mixed payload (empty files, sub-folders, non-ASCII names, files
# of 32 KiB and 32 KiB + 1, text and random data, a read-only file) and a
# payload of nothing but empty files. A multipart package: a spanning set
# of parts beside the package, checked against the digests tovupack wrote
# into [HashCode] and extracted from the first part on, with files that
# continue into the next part (over two parts and over more); a damaged
# part of that set is refused by its digest before anything is extracted.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

NATIVE=${TOVUPACK_NATIVE:-}
if [ -z "$NATIVE" ]; then
  for candidate in "$TOVU_BUILD_DIR/../linux/bin/tovupack" "${TOVU_BUILD_DIR%-win64}-linux/bin/tovupack"; do
    if [ -x "$candidate" ]; then NATIVE=$candidate; break; fi
  done
fi
if [ -z "$NATIVE" ] || [ ! -x "$NATIVE" ]; then
  echo "SKIP: no native tovupack beside $TOVU_BUILD_DIR (or \$TOVUPACK_NATIVE)"
  exit 77
fi
HELPER="$TOVU_BUILD_DIR/bin/win_cab_roundtrip.exe"
FRAME="$TOVU_BUILD_DIR/bin/Fennock.exe"
for f in "$HELPER" "$FRAME"; do
  [ -f "$f" ] || { echo "FAIL: $f is not built"; exit 1; }
done
WORK=$(scenario_work cabinet_roundtrip)
fail=0

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# stamp DIR: distinct even-second time stamps (DOS time stamps have
# 2-second steps) 17 days apart, so that summer and winter times are
# among them, in a fixed order.
stamp() {
  local n=0 f
  while IFS= read -r -d '' f; do
    touch -d "@$((1600000000 + n * 17 * 86402))" "$f"; n=$((n + 1))
  done < <(find "$1" -type f -print0 | sort -z)
}

# same_tree PAYLOAD OUT: the same files (bytes, no extra or missing ones),
# time stamps, and the owner's write bit (read-only files stay read-only).
same_tree() {
  local p=$1 out=$2 f rel
  if ! diff -r "$p" "$out" >"$WORK/diff.txt" 2>&1; then
    head -5 "$WORK/diff.txt"; return 1
  fi
  while IFS= read -r -d '' f; do
    rel=${f#"$p"/}
    [ "$(stat -c %Y "$f")" = "$(stat -c %Y "$out/$rel")" ] ||
      { echo "time stamp of $rel: $(stat -c %Y "$f") against $(stat -c %Y "$out/$rel")"; return 1; }
    [ "$(stat -c %A "$f" | cut -c3)" = "$(stat -c %A "$out/$rel" | cut -c3)" ] ||
      { echo "write permission of $rel: $(stat -c %A "$f") against $(stat -c %A "$out/$rel")"; return 1; }
  done < <(find "$p" -type f -print0)
}

# extract NAME PACKAGE: runs the frame's extraction of PACKAGE into
# $WORK/NAME.out; its report goes to $WORK/NAME.report.
extract() {
  local name=$1 package=$2
  chmod -R u+w "$WORK/$name.out" 2>/dev/null; rm -rf "$WORK/$name.out" "$WORK/$name.tmp"
  wine_run "$HELPER" "$(winpath "$package")" "$(winpath "$WORK/$name.out")" "$(winpath "$WORK/$name.tmp")" \
    >"$WORK/$name.report" 2>&1
}
report() { tr -d '\r' <"$WORK/$1.report" | awk -v k="$2" '$1 == k { print $2; exit }'; }

build() {  # OUTPUT SETTINGS PAYLOAD EXTRA...
  local out=$1 settings=$2 payload=$3; shift 3
  "$NATIVE" build --frame "$FRAME" --settings "$settings" --entry "$FIXTURES/Defaultx.ulf" --payload "$payload" \
    --output "$out" "$@" >"$WORK/build.out" 2>&1
}

# roundtrip NAME PAYLOAD SETTINGS EXTRA...: build, extract, compare.
roundtrip() {
  local name=$1 payload=$2 settings=$3; shift 3
  mkdir -p "$WORK/$name.pkg"
  build "$WORK/$name.pkg/Package.exe" "$settings" "$payload" "$@"
  expect "$name: tovupack builds the package" [ $? = 0 ]
  extract "$name" "$WORK/$name.pkg/Package.exe"
  local rc=$?
  expect "$name: the frame's extraction succeeds" [ $rc = 0 ]
  [ $rc = 0 ] || sed -n '1,40p' "$WORK/$name.report"
  local count; count=$(find "$payload" -type f | wc -l)
  expect "$name: every file finished and recorded ($count)" \
    [ "$(report "$name" files)/$(report "$name" written)" = "$count/$count" ]
  expect "$name: the extracted tree is the payload (bytes, time stamps, read-only)" same_tree "$payload" "$WORK/$name.out"
}

# ---- payloads ------------------------------------------------------------------
MIXED="$WORK/mixed"
mkdir -p "$MIXED/Data/Sub/deep" "$MIXED/Daten" "$MIXED/日本語"
head -c 70000 /dev/urandom >"$MIXED/setup.exe"
: >"$MIXED/empty.txt"
: >"$MIXED/Data/Sub/zero"
head -c 32768 /dev/urandom >"$MIXED/Data/a32k.bin"
head -c 32769 /dev/urandom >"$MIXED/Data/a32k1.bin"
yes "setup data line for the package" | head -c 32768 >"$MIXED/Data/b32k.txt"
yes "setup data line for the package" | head -c 32769 >"$MIXED/Data/b32k1.txt"
yes "readme text of the payload, with some words" | head -c 200000 >"$MIXED/Data/Sub/deep/readme.txt"
printf 'Größe' >"$MIXED/Daten/Größe ä.txt"
head -c 300000 /dev/urandom >"$MIXED/日本語/ファイル.dat"
printf 'read only\r\n' >"$MIXED/Data/locked.ini"
stamp "$MIXED"
chmod a-w "$MIXED/Data/locked.ini"

EMPTY="$WORK/empties"
mkdir -p "$EMPTY/sub/deeper"
: >"$EMPTY/a.txt"; : >"$EMPTY/sub/b.dat"; : >"$EMPTY/sub/deeper/c"
stamp "$EMPTY"

# The multipart payload: the mixed one and files larger than a part.
MULTIP="$WORK/multipayload"
cp -a "$MIXED" "$MULTIP"
chmod u+w "$MULTIP/Data/locked.ini"
head -c 250000 /dev/urandom >"$MULTIP/Data/big1.bin"
yes "a line of the large text file of the set" | head -c 400000 >"$MULTIP/Data/big2.txt"
head -c 65000 /dev/urandom >"$MULTIP/near.bin"
stamp "$MULTIP"
chmod a-w "$MULTIP/Data/locked.ini"

# ---- single cabinets --------------------------------------------------------------
for compression in mszip none; do
  roundtrip "mixed-$compression" "$MIXED" "$FIXTURES/Properties_Tovu.ini" --compression "$compression"
  roundtrip "empties-$compression" "$EMPTY" "$FIXTURES/Properties_Tovu.ini" --compression "$compression"
done
# Local time with daylight saving: a time stamp of summer keeps its time
# when the package is built and extracted in winter, and the other way.
if [ -f /usr/share/zoneinfo/Europe/Berlin ]; then
  TZ=Europe/Berlin roundtrip "mixed-dst" "$MIXED" "$FIXTURES/Properties_Tovu.ini"
fi
expect "single cabinet: not a multipart run" [ "$(report mixed-mszip multipart)" = 0 ]

# ---- a multipart package ------------------------------------------------------------
MULTI="$WORK/multi.ini"
sed -e 's/^MultipartDownload=0/MultiPartDownload=1\r\nMultipartFileName=Demo Parts/' -e 's/^PartSize=.*/PartSize=70000\r/' \
  "$FIXTURES/Properties_Tovu.ini" >"$MULTI"
roundtrip multi "$MULTIP" "$MULTI"
expect "multipart: a multipart run" [ "$(report multi multipart)" = 1 ]
mapfile -t parts < <(ls "$WORK/multi.pkg/Demo Parts."[0-9][0-9][0-9] 2>/dev/null)
echo "parts: ${#parts[@]}"
expect "multipart: several parts beside the package" [ "${#parts[@]}" -ge 5 ]
# Files continued from one part into the next, read from the parts'
# file tables (folder index 0xFFFE: continued into the next part, 0xFFFD:
# from the previous one, 0xFFFF: both).
python3 - "${parts[@]}" >"$WORK/spans.txt" <<'PY'
import struct, sys
first, last = {}, {}
for k, path in enumerate(sys.argv[1:]):
    b = open(path, "rb").read()
    coff_files, = struct.unpack_from("<I", b, 16)
    n_files, flags = struct.unpack_from("<HH", b, 28)
    at = coff_files
    for _ in range(n_files):
        size, offset, folder, date, time, attribs = struct.unpack_from("<IIHHHH", b, at)
        end = b.index(b"\0", at + 16)
        name = b[at + 16:end].decode("utf-8", "replace")
        at = end + 1
        if folder in (0xFFFD, 0xFFFE, 0xFFFF) and size > 0:
            first.setdefault(name, k)
            last[name] = k
two = sorted(n for n in first if last[n] - first[n] == 1)
more = sorted(n for n in first if last[n] - first[n] > 1)
print("over-two", len(two), " ".join(two))
print("over-more", len(more), " ".join(more))
PY
cat "$WORK/spans.txt"
expect "multipart: a file continues over exactly two parts" [ "$(awk '$1 == "over-two" { print $2 }' "$WORK/spans.txt")" -ge 1 ]
expect "multipart: a file continues over more than two parts" \
  [ "$(awk '$1 == "over-more" { print $2 }' "$WORK/spans.txt")" -ge 1 ]
expect "multipart: every part was checked against its digest" \
  [ "$(grep -c 'Hash code for : ' "$WORK/multi.tmp/cab_roundtrip.log")" = "${#parts[@]}" ]

# A damaged part: the digest in [HashCode] refuses it (-5) before extraction.
third=${parts[2]}
cp "$third" "$WORK/third.bak"
at=$(($(stat -c %s "$third") - 10))
byte=$(od -An -tu1 -j "$at" -N1 "$third" | tr -d ' ')
printf "\\x$(printf %02x $(((byte + 1) % 256)))" | dd of="$third" bs=1 seek="$at" conv=notrunc status=none
expect "damaged part: one byte changed" sh -c "! cmp -s '$third' '$WORK/third.bak'"
extract multi-damaged "$WORK/multi.pkg/Package.exe"
expect "damaged part: the extraction fails" [ $? != 0 ]
expect "damaged part: result -5" [ "$(report multi-damaged result)" = -5 ]
expect "damaged part: the message names the part" grep -qF "Part file $(winpath "$third") is corrupt." "$WORK/multi-damaged.report"
expect "damaged part: nothing extracted" [ -z "$(ls -A "$WORK/multi-damaged.out" 2>/dev/null)" ]
cp "$WORK/third.bak" "$third"

[ "$fail" = 0 ] && { chmod -R u+w "$WORK"; rm -rf "$WORK"; }
exit "$fail"
