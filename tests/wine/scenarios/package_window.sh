#!/usr/bin/env bash
# The progress window of an unattended run, looked at on an X display of
# its own while a large package extracts: a viewable window titled with the
# package's display name is on screen, its picture shows more than a blank
# face, the progress bar's fill grows from one picture to a later one, and
# the later picture is kept as build/win64/wine/artifacts/unattended-window.png.
# The run exits 0 with every file extracted and its window gone. A silent
# run of the same package puts no window on the display at all.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

for tool in Xvfb xwininfo xwd xwdtopnm pnmtopng pngtopnm pnmtoplainpnm ppmhist; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
WORK=$(scenario_work package_window)
ARTIFACTS="$TOVU_BUILD_DIR/wine/artifacts"
mkdir -p "$ARTIFACTS"
wine_fresh_prefix package_window

# A display of this scenario's own: windows of other tests must neither
# cover this one nor count as this run's.
wine_own_display 140 199 || { echo "FAIL: no free X display"; exit 1; }
trap 'wine_stop; kill "$XVFB_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
TARGET="$WINEPREFIX/drive_c/Install/Demo"
TITLE="Demo Library V1.3"
fail=0

# ---- a package large enough to watch ---------------------------------------
P="$WORK/payload"
mkdir -p "$P"
for d in $(seq 1 12); do
  mkdir -p "$P/data$d"
  for f in $(seq 1 100); do
    printf 'file %d of folder %d, text that compresses\n' "$f" "$d" | head -c 2000 >"$P/data$d/f$f.txt"
    yes "line $f of folder $d" | head -c $((4096 + f * 37)) >>"$P/data$d/f$f.txt"
  done
done
head -c 20000000 /dev/urandom >"$P/big1.bin"
head -c 20000000 /dev/urandom >"$P/big2.bin"
payload_files=$(find "$P" -type f | wc -l)
sed -e 's/^ExtractPath=.*/ExtractPath=C:\\Install\\Demo/' -e 's/^NoOSCheck=.*/NoOSCheck=1/' \
  "$FIXTURES/Properties_Tovu.ini" >"$WORK/big.ini"
tovupack build --frame "$TOVU_BUILD_DIR/bin/Fennock.exe" --settings "$WORK/big.ini" \
  --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" --entry "$FIXTURES/750BottomImage.PNG" \
  --payload "$P" --output "$WINEPREFIX/drive_c/big.exe" >/dev/null || { echo "FAIL: build"; exit 1; }

# window_id: the id of the viewable window titled $TITLE, if there is one.
window_id() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | awk -v t="\"$TITLE\":" 'index($0, t) { print $1 }'); do
    if xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable"; then echo "$id"; return 0; fi
  done
  return 1
}
# viewable_windows: how many top-level windows of the display are viewable.
viewable_windows() {
  local id count=0
  for id in $(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ { print $1 }'); do
    xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable" && count=$((count + 1))
  done
  echo "$count"
}
# shoot ID FILE: the window's picture as PNG.
shoot() { xwd -id "$1" -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$2" 2>/dev/null; }
colours() { pngtopnm "$1" 2>/dev/null | ppmhist -noheader 2>/dev/null | wc -l; }
# bar_pixels FILE: how many pixels of the picture are of the progress
# bar's fill (clearly more blue than red).
bar_pixels() {
  pngtopnm "$1" 2>/dev/null | pnmtoplainpnm 2>/dev/null |
    awk 'NR <= 3 { next } { for (i = 1; i <= NF; i++) v[n++] = $i }
         END { c = 0; for (i = 0; i + 2 < n; i += 3) if (v[i + 2] - v[i] > 80) c++; print c }'
}
more_than() { [ "$1" -gt "$2" ]; }
no_window() { ! window_id >/dev/null; }

# ---- unattended: the window while it works ---------------------------------
rm -rf "$TARGET"
wine_run 'C:\big.exe' -unattended >/dev/null 2>&1 &
RUN=$!
id=""
for _ in $(seq 1 600); do
  id=$(window_id) && break
  kill -0 "$RUN" 2>/dev/null || break
  sleep 0.1
done
expect "unattended: a viewable window titled '$TITLE' while extracting" [ -n "$id" ]
if [ -n "$id" ]; then
  shoot "$id" "$WORK/early.png"
  sleep 1.5
  shoot "$id" "$WORK/late.png"
  geometry=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  echo "window $id, $geometry"
  expect "unattended: the picture shows more than a blank face" [ "$(colours "$WORK/late.png")" -ge 3 ]
  early=$(bar_pixels "$WORK/early.png") late=$(bar_pixels "$WORK/late.png")
  echo "progress bar fill: $early pixels, then $late"
  expect "unattended: the progress bar grows as the extraction goes on" more_than "$late" "$early"
  cp "$WORK/late.png" "$ARTIFACTS/unattended-window.png"
  echo "picture kept: $ARTIFACTS/unattended-window.png"
fi
rc=0
wait "$RUN" || rc=$?
expect "unattended: exit code 0" [ "$rc" = 0 ]
expect "unattended: every file extracted" [ "$(find "$TARGET" -type f 2>/dev/null | wc -l)" = "$payload_files" ]
expect "unattended: the window is gone" no_window

# ---- silent: nothing on the display ----------------------------------------
rm -rf "$TARGET"
wine_run 'C:\big.exe' -silent >/dev/null 2>&1 &
RUN=$!
most=0
while kill -0 "$RUN" 2>/dev/null; do
  v=$(viewable_windows)
  [ "$v" -gt "$most" ] && most=$v
  sleep 0.1
done
rc=0
wait "$RUN" || rc=$?
expect "silent: exit code 0" [ "$rc" = 0 ]
expect "silent: every file extracted" [ "$(find "$TARGET" -type f 2>/dev/null | wc -l)" = "$payload_files" ]
expect "silent: no window was ever viewable" [ "$most" = 0 ]
exit "$fail"
