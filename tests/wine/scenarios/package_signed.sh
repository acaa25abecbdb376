#!/usr/bin/env bash
# A package signed after tovupack built it, as a publisher ships it: the
# Authenticode signature (osslsigncode, with a self-signed code-signing
# certificate made here) lies behind the container and the certificate-table
# entry of the PE header points at it. The signature must verify, the
# signed package must install unattended exactly as the unsigned one does
# (exit code, the setup's record, the extracted files) and tovupack list
# must show the same entries and stop at the certificate table. A package
# whose last entry claims data that runs into the certificate table is
# refused by the listing as damaged.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

SETUP_EXE="$TOVU_BUILD_DIR/bin/win_test_setup.exe"
[ -f "$SETUP_EXE" ] || { echo "SKIP: no win_test_setup.exe"; exit 77; }
for tool in openssl osslsigncode; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done
WORK=$(scenario_work package_signed)
wine_fresh_prefix package_signed
trap 'wine_stop; rm -rf "$WORK"' EXIT
XLOG="$(dirname "$(master_log)")/Demo.txt"
TARGET="$WINEPREFIX/drive_c/Install/Demo"
RECORD="$WINEPREFIX/drive_c/record.txt"
fail=0

mkdir -p "$WORK/payload/sub"
cp "$SETUP_EXE" "$WORK/payload/setup.exe"
printf 'demo product\r\n' >"$WORK/payload/readme.txt"
head -c 300000 /dev/urandom >"$WORK/payload/sub/data.bin"

sed -e 's/^ExtractPath=.*/ExtractPath=C:\\Install\\Demo/' -e 's/^NoOSCheck=.*/NoOSCheck=1/' \
  -e 's/^AutoLaunch=.*/AutoLaunch=setup.exe/' -e 's/^LaunchEXEParams=.*/LaunchEXEParams=\/exit=0 \/quiet/' \
  "$FIXTURES/Properties_Tovu.ini" >"$WORK/Package.ini"
if ! tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/Package.ini" \
    --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
    --payload "$WORK/payload" --output "$WORK/Unsigned.exe" >/dev/null; then
  echo "FAIL: tovupack build failed"
  exit 1
fi

# ---- certificate, key and signature, made here -----------------------------
if ! openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Tovu Test Publisher" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$WORK/key.pem" -out "$WORK/cert.pem" >"$WORK/openssl.txt" 2>&1; then
  echo "FAIL: openssl could not make the test certificate"; cat "$WORK/openssl.txt"; exit 1
fi
if ! osslsigncode sign -certs "$WORK/cert.pem" -key "$WORK/key.pem" -h sha256 -n "Demo Library" \
    -in "$WORK/Unsigned.exe" -out "$WORK/Signed.exe" >"$WORK/sign.txt" 2>&1; then
  echo "FAIL: osslsigncode sign failed"; cat "$WORK/sign.txt"; exit 1
fi
osslsigncode verify -CAfile "$WORK/cert.pem" -in "$WORK/Signed.exe" >"$WORK/verify.txt" 2>&1
verify_rc=$?
expect "osslsigncode verify succeeds against the test certificate" [ "$verify_rc" = 0 ] ||
  cat "$WORK/verify.txt"
expect "the message digest matches" bash -c \
  "grep -q '^Current message digest *: ' '$WORK/verify.txt' &&
   [ \"\$(sed -n 's/^Current message digest *: *//p' '$WORK/verify.txt')\" = \"\$(sed -n 's/^Calculated message digest *: *//p' '$WORK/verify.txt')\" ]"
expect "the signature verifies" grep -q '^Signature verification: ok' "$WORK/verify.txt"
# The same check on the unsigned package fails: verify does look.
expect "the unsigned package has no signature" bash -c "! osslsigncode verify -CAfile '$WORK/cert.pem' -in '$WORK/Unsigned.exe' >/dev/null 2>&1"
# The signature covers the container: one byte changed inside the cabinet
# entry's data and the digest no longer matches.
cp "$WORK/Signed.exe" "$WORK/Tampered.exe"
cab=$(tovupack list "$WORK/Signed.exe" | awk '$NF == "WebCab1" { print $2 }')
printf 'X' | dd of="$WORK/Tampered.exe" bs=1 seek=$((cab + 1000)) conv=notrunc status=none
osslsigncode verify -CAfile "$WORK/cert.pem" -in "$WORK/Tampered.exe" >"$WORK/verify-tampered.txt" 2>&1
tampered_rc=$?
expect "a changed container byte breaks the signature" bash -c \
  "[ $tampered_rc != 0 ] && grep -q '^Calculated message digest.*MISMATCH' '$WORK/verify-tampered.txt'" ||
  cat "$WORK/verify-tampered.txt"

# ---- tovupack list ---------------------------------------------------------
entries() { awk 'NR > 2 && NF == 6' "$1"; }
list_rc=0
tovupack list "$WORK/Unsigned.exe" >"$WORK/list-unsigned.txt" 2>&1 || list_rc=$?
expect "list of the unsigned package succeeds" [ "$list_rc" = 0 ]
list_rc=0
tovupack list "$WORK/Signed.exe" >"$WORK/list-signed.txt" 2>&1 || list_rc=$?
expect "list of the signed package succeeds" [ "$list_rc" = 0 ] || cat "$WORK/list-signed.txt"
expect "the signed package lists the same five entries" bash -c \
  "[ \"\$(awk 'NR > 2 && NF == 6' '$WORK/list-signed.txt' | wc -l)\" = 5 ] &&
   diff <(awk 'NR > 2 && NF == 6' '$WORK/list-unsigned.txt') <(awk 'NR > 2 && NF == 6' '$WORK/list-signed.txt')"
expect "the list stops at the certificate table" grep -q ' (the certificate table of [0-9]* bytes follows at offset [0-9]*)$' \
  "$WORK/list-signed.txt" || cat "$WORK/list-signed.txt"

# The last entry's size grown so that its data reaches into the
# certificate table: a damaged entry, not a listing that swallows the
# signature.
cp "$WORK/Signed.exe" "$WORK/Overrun.exe"
last=$(awk 'NR > 2 && NF == 6 { o = $1 } END { print o }' "$WORK/list-signed.txt")
name_bytes=$(read_u32 "$WORK/Overrun.exe" $((last + 76)))
size=$(read_u32 "$WORK/Overrun.exe" $((last + 80 + name_bytes)))
write_u32 "$WORK/Overrun.exe" $((last + 80 + name_bytes)) $((size + 16))
list_rc=0
tovupack list "$WORK/Overrun.exe" >"$WORK/list-overrun.txt" 2>&1 || list_rc=$?
expect "an entry running into the certificate table: list fails" [ "$list_rc" != 0 ]
expect "it names the damaged entry" grep -q "the entry at offset $last is damaged: .*certificate table" \
  "$WORK/list-overrun.txt" || cat "$WORK/list-overrun.txt"

# ---- both packages installed unattended ------------------------------------
# install NAME: runs C:\NAME.exe -unattended on a clean target; leaves the
# exit code in $rc, the setup's record and the extracted tree in $WORK/NAME.*
install() {
  rm -rf "$TARGET" "$RECORD"
  cp "$WORK/$1.exe" "$WINEPREFIX/drive_c/$1.exe"
  rc=0
  TOVU_TEST_SETUP_RECORD='C:\record.txt' timeout 300 bash -c 'source "$0"; wine_run "C:\\$1.exe" -unattended' \
    "$TOVU_SOURCE_DIR/tests/wine/wine-lib.sh" "$1" >/dev/null 2>&1 || rc=$?
  cp "$RECORD" "$WORK/$1.record" 2>/dev/null || : >"$WORK/$1.record"
  (cd "$TARGET" 2>/dev/null && find . -type f -exec md5sum {} + | sort -k2) >"$WORK/$1.tree"
  cp "$XLOG" "$WORK/$1.log" 2>/dev/null || : >"$WORK/$1.log"
}
install Unsigned
unsigned_rc=$rc
expect "the unsigned package exits 0" [ "$unsigned_rc" = 0 ]
install Signed
expect "the signed package exits as the unsigned one ($unsigned_rc)" [ "$rc" = "$unsigned_rc" ]
expect "the signed package's setup started once" [ "$(grep -c '^\[run\]' "$WORK/Signed.record")" = 1 ]
expect "its setup saw what the unsigned one's saw" cmp -s "$WORK/Unsigned.record" "$WORK/Signed.record" ||
  diff "$WORK/Unsigned.record" "$WORK/Signed.record"
expect "the same files are extracted" bash -c "[ -s '$WORK/Signed.tree' ] && cmp -s '$WORK/Unsigned.tree' '$WORK/Signed.tree'" ||
  diff "$WORK/Unsigned.tree" "$WORK/Signed.tree"
expect "the payload arrived whole" cmp -s "$WORK/payload/sub/data.bin" "$TARGET/sub/data.bin"
expect "no level-0 line in the signed run" not_in_file "$WORK/Signed.log" "|ERROR     |"
expect "the signed run read its container to the end" grep -qF "|Attached files are extracted" "$WORK/Signed.log"

[ "$fail" = 0 ] || { echo "---- verify"; cat "$WORK/verify.txt"; echo "---- extraction log of the signed run"; tr -d '\r' <"$WORK/Signed.log"; }
exit "$fail"
