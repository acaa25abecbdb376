#!/usr/bin/env bash
# Cabinet benchmark (not part of ctest): builds a deterministic payload of
# about 200 MiB in about 2,000 files (text-like and incompressible files
# mixed), then prints from one run:
#   - tovupack's package build from that payload against `gcab -c -z` on the
#     same tree (wall time and ratio), the two cabinets' sizes (ratio), and
#     tovupack's peak memory;
#   - the frame's extraction of the package (see the marked place below).
#
# Usage: tests/bench/cab_bench.sh NATIVE_BUILD_DIR WIN64_BUILD_DIR [WORK_DIR]
#   NATIVE_BUILD_DIR holds bin/tovupack, WIN64_BUILD_DIR bin/Fennock.exe.
# Needs gcab, cabextract and GNU time (/usr/bin/time); python3 makes the payload.
set -euo pipefail

NATIVE=${1:?native build folder}
WIN64=${2:?win64 build folder}
WORK=${3:-${TMPDIR:-/tmp}/tovu-cab-bench}
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
TOVUPACK="$NATIVE/bin/tovupack"
FRAME="$WIN64/bin/Fennock.exe"
FIXTURES="$SOURCE/tests/data/package"
for tool in gcab cabextract /usr/bin/time python3; do
  command -v "$tool" >/dev/null || { echo "cab_bench: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done
[ -x "$TOVUPACK" ] || { echo "cab_bench: no $TOVUPACK"; exit 1; }
[ -f "$FRAME" ] || { echo "cab_bench: no $FRAME"; exit 1; }

mkdir -p "$WORK"
PAYLOAD="$WORK/payload"

# ---- the payload (made once, then reused) -----------------------------------
if [ ! -f "$WORK/payload.done" ]; then
  rm -rf "$PAYLOAD"
  python3 - "$PAYLOAD" <<'PY'
import os, random, sys
root = sys.argv[1]
r = random.Random(20261210)
words = [("".join(r.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(r.randint(2, 11)))) for _ in range(3000)]
lines = []
while sum(map(len, lines)) < 6 << 20:
    lines.append(" ".join(r.choice(words) for _ in range(r.randint(4, 16))) + ("\r\n" if r.random() < 0.5 else ";\n"))
corpus = "".join(lines).encode()
total = 0
for i in range(2000):
    folder = os.path.join(root, "d%02d" % (i % 37), "s%d" % (i % 5))
    os.makedirs(folder, exist_ok=True)
    if i % 10 < 7:   # text-like: pieces of the corpus
        size = int(r.expovariate(1 / 70000)) + 1
        at = r.randrange(len(corpus) - size) if size < len(corpus) else 0
        data = corpus[at:at + size]
        name = "file%04d.txt" % i
    else:            # incompressible
        size = int(r.expovariate(1 / 170000)) + 1
        data = r.randbytes(size)
        name = "blob%04d.bin" % i
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    total += len(data)
print("payload: 2000 files, %d bytes (%.1f MiB)" % (total, total / 1048576))
PY
  find "$PAYLOAD" -exec touch -d '2024-05-06 07:08:10' {} +
  touch "$WORK/payload.done"
fi
files=$(find "$PAYLOAD" -type f | wc -l)
bytes=$(find "$PAYLOAD" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
echo "payload: $files files, $bytes bytes ($(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1048576 }') MiB), $(nproc) cores," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every figure)"
cat $(find "$PAYLOAD" -type f) >/dev/null  # into the page cache for both

# ---- build: tovupack against gcab ---------------------------------------------
rm -f "$WORK/Package.exe" "$WORK/gcab.cab"
/usr/bin/time -v -o "$WORK/tovupack.time" "$TOVUPACK" build --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" \
  --payload "$PAYLOAD" --output "$WORK/Package.exe" >"$WORK/tovupack.out"
/usr/bin/time -v -o "$WORK/tovupack1.time" "$TOVUPACK" build --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" \
  --payload "$PAYLOAD" --threads 1 --output "$WORK/Package1.exe" >/dev/null
rm -f "$WORK/Package1.exe"
(cd "$PAYLOAD" && find . -type f | sed 's|^\./||' | sort >"$WORK/files.txt" &&
  /usr/bin/time -v -o "$WORK/gcab.time" xargs -d '\n' gcab -c -z "$WORK/gcab.cab" <"$WORK/files.txt")

seconds() {  # "Elapsed (wall clock) time (h:mm:ss or m:ss): 0:03.21" -> 3.21
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' "$1"
}
peak_kib() { awk -F': ' '/Maximum resident set size/ { print $2 }' "$1"; }
t_tovu=$(seconds "$WORK/tovupack.time")
t_gcab=$(seconds "$WORK/gcab.time")
cab_size=$(sed -n 's/^tovupack: cabinet of [0-9]* files, \([0-9]*\) bytes.*/\1/p' "$WORK/tovupack.out")
gcab_size=$(stat -c %s "$WORK/gcab.cab")

echo
echo "build of the cabinet (tovupack: the whole package, frame and copy included)"
printf '  tovupack build --payload  %8.2f s   peak memory %6d KiB\n' "$t_tovu" "$(peak_kib "$WORK/tovupack.time")"
printf '  the same, --threads 1     %8.2f s\n' "$(seconds "$WORK/tovupack1.time")"
printf '  gcab -c -z                %8.2f s   peak memory %6d KiB\n' "$t_gcab" "$(peak_kib "$WORK/gcab.time")"
awk -v a="$t_gcab" -v b="$t_tovu" 'BEGIN { printf "  speed: tovupack is %.2f times as fast as gcab (goal: at least 1.6)\n", a / b }'
printf '  cabinet sizes: tovupack %d bytes, gcab %d bytes\n' "$cab_size" "$gcab_size"
awk -v a="$cab_size" -v b="$gcab_size" 'BEGIN { printf "  size: tovupack / gcab = %.4f (goal: at most 1.02)\n", a / b }'
awk -v k="$(peak_kib "$WORK/tovupack.time")" 'BEGIN { printf "  tovupack peak memory %.1f MiB (goal: under 64)\n", k / 1024 }'

# ---- the cabinet read back natively -------------------------------------------
# The WebCab1 entry of the package, with "MSCF" in place of "TOVU", through
# cabextract, against a plain copy of the payload tree.
offset=$("$TOVUPACK" list "$WORK/Package.exe" | awk '$NF == "WebCab1" { print $2 }')
rm -rf "$WORK/cabextract" "$WORK/copy" "$WORK/WebCab1.cab"
{ printf 'MSCF'; tail -c +$((offset + 5)) "$WORK/Package.exe" | head -c $((cab_size - 4)); } >"$WORK/WebCab1.cab"
/usr/bin/time -v -o "$WORK/cabextract.time" cabextract -q -d "$WORK/cabextract" "$WORK/WebCab1.cab"
/usr/bin/time -v -o "$WORK/copy.time" cp -r "$PAYLOAD" "$WORK/copy"
if diff -r "$PAYLOAD" "$WORK/cabextract" >/dev/null; then same="the payload, byte for byte"; else same="NOT the payload"; fi
echo
echo "extraction"
printf '  cabextract (native)       %8.2f s   peak memory %6d KiB   gives %s\n' "$(seconds "$WORK/cabextract.time")" \
  "$(peak_kib "$WORK/cabextract.time")" "$same"
printf '  cp -r of the payload      %8.2f s\n' "$(seconds "$WORK/copy.time")"

# ==== FRAME EXTRACTION: NOT YET MEASURED =======================================
# Here goes the extraction of $WORK/Package.exe by the frame's own extraction
# path under wine64 (container copy of WebCab1 included, then the cabinet
# decompressor over Wine's Cabinet.dll), once the frame's decompressor is in
# place: time it with /usr/bin/time -v like the lines above, print its time
# against cabextract's and against the plain copy (goal: within 1.5 times
# cabextract) and its peak memory, and compare its output tree with $PAYLOAD.
echo "  frame extraction under wine64: not measured yet (the frame's decompressor is not in place)"
# ==============================================================================
rm -rf "$WORK/cabextract" "$WORK/copy"
