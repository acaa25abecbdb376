#!/usr/bin/env bash
# Cabinet benchmark (not part of ctest): builds a deterministic payload of
# about 200 MiB in about 2,000 files (text-like and incompressible files
# mixed), then prints from one run:
#   - tovupack's package build from that payload against `gcab -c -z` on the
#     same tree (wall time and ratio), the two cabinets' sizes (ratio), and
#     tovupack's peak memory;
#   - the frame's extraction of the package under wine64 (container copy
#     included) against cabextract natively and against a plain copy of the
#     payload tree (ratios), and its peak memory.
#
# Usage: tests/bench/cab_bench.sh NATIVE_BUILD_DIR WIN64_BUILD_DIR [WORK_DIR]
#   NATIVE_BUILD_DIR holds bin/tovupack, WIN64_BUILD_DIR bin/Fennock.exe and
#   bin/win_cab_roundtrip.exe (the frame's extraction path).
# Needs gcab, cabextract, GNU time (/usr/bin/time), wine64 and Xvfb (or a
# display); python3 makes the payload.
set -euo pipefail

# Absolute paths: Wine takes no relative prefix folder.
NATIVE=$(cd "${1:?native build folder}" && pwd)
WIN64=$(cd "${2:?win64 build folder}" && pwd)
WORK=${3:-${TMPDIR:-/tmp}/tovu-cab-bench}
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
TOVUPACK="$NATIVE/bin/tovupack"
FRAME="$WIN64/bin/Fennock.exe"
HELPER="$WIN64/bin/win_cab_roundtrip.exe"
FIXTURES="$SOURCE/tests/data/package"
for tool in gcab cabextract /usr/bin/time python3 wine wineserver; do
  command -v "$tool" >/dev/null || { echo "cab_bench: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done
[ -x "$TOVUPACK" ] || { echo "cab_bench: no $TOVUPACK"; exit 1; }
[ -f "$FRAME" ] || { echo "cab_bench: no $FRAME"; exit 1; }
[ -f "$HELPER" ] || { echo "cab_bench: no $HELPER (build the target win_cab_roundtrip)"; exit 1; }

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

# ---- the frame's extraction under wine64 ----------------------------------------
# The package extracted the way the frame does it (tests/win/helpers/
# cab_roundtrip.cpp): the settings entries unpacked, WebCab1 copied out of
# the container in 5 MiB chunks (mode 100) into a temp folder, then the
# worker ExtractPackage decompresses it over Wine's Cabinet.dll into the
# extraction folder, writing a log line per file. The prefix's wineserver
# is kept running and a first run warms it, so that the timed run does not
# include the prefix's start. /usr/bin/time measures wine's process (the
# Windows process with Wine's DLLs), not the wineserver.
export TOVU_BUILD_DIR="$WIN64"
# shellcheck source=../wine/wine-lib.sh
source "$SOURCE/tests/wine/wine-lib.sh"
wine_ensure_base
export WINEPREFIX; WINEPREFIX=$(wine_base_prefix)
winpath() { printf 'Z:%s' "${1//\//\\}"; }
rm -rf "$WORK/frame-out" "$WORK/frame-tmp" "$WORK/warm"
wineserver -p 120
mkdir -p "$WORK/warm/payload"
printf 'warm-up' >"$WORK/warm/payload/a.txt"
"$TOVUPACK" build --frame "$FRAME" --settings "$FIXTURES/Properties_Tovu.ini" --payload "$WORK/warm/payload" \
  --output "$WORK/warm/Package.exe" >/dev/null
wine_with_display "$WINE_BIN" "$HELPER" "$(winpath "$WORK/warm/Package.exe")" "$(winpath "$WORK/warm/out")" \
  "$(winpath "$WORK/warm/tmp")" >/dev/null 2>&1 || true
echo "  (load average before the frame's extraction: $(cut -d' ' -f1-3 /proc/loadavg))"
frame_rc=0
wine_with_display /usr/bin/time -v -o "$WORK/frame.time" "$WINE_BIN" "$HELPER" "$(winpath "$WORK/Package.exe")" \
  "$(winpath "$WORK/frame-out")" "$(winpath "$WORK/frame-tmp")" >"$WORK/frame.report" 2>&1 || frame_rc=$?
wineserver -k 2>/dev/null || true
worker=$(tr -d '\r' <"$WORK/frame.report" | awk '$1 == "worker" { print $2 }')
if [ "$frame_rc" = 0 ] && diff -r "$PAYLOAD" "$WORK/frame-out" >/dev/null; then
  fsame="the payload, byte for byte"
else
  fsame="NOT the payload (exit $frame_rc, see $WORK/frame.report)"
fi
t_frame=$(seconds "$WORK/frame.time")
t_cabextract=$(seconds "$WORK/cabextract.time")
t_copy=$(seconds "$WORK/copy.time")
printf '  frame under wine64        %8.2f s   peak memory %6d KiB   gives %s\n' "$t_frame" \
  "$(peak_kib "$WORK/frame.time")" "$fsame"
printf '    of which the worker     %8.2f s   (container copy and decompression, without the start of wine)\n' \
  "${worker:-0}"
awk -v f="$t_frame" -v c="$t_cabextract" -v p="$t_copy" -v w="${worker:-0}" 'BEGIN {
  printf "  frame / cabextract = %.2f (goal: at most 1.5); worker alone / cabextract = %.2f\n", f / c, w / c
  printf "  frame / cp -r = %.2f; cabextract / cp -r = %.2f\n", f / p, c / p }'
awk -v k="$(peak_kib "$WORK/frame.time")" 'BEGIN { printf "  frame extraction peak memory %.1f MiB (wine'"'"'s process)\n", k / 1024 }'
rm -rf "$WORK/frame-out" "$WORK/frame-tmp" "$WORK/warm"
rm -rf "$WORK/cabextract" "$WORK/copy"
