# Helpers of the package scenarios (sourced; not a scenario itself).
# Needs wine-lib.sh sourced first.

TOVU_SOURCE_DIR=${TOVU_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
FIXTURES="$TOVU_SOURCE_DIR/tests/data/package"

scenario_work() {
  local dir="$TOVU_BUILD_DIR/wine/scratch/$1.work"
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

# tovupack of the native build beside this one when there is one, else the
# Windows one under Wine.
tovupack() {
  local native="$TOVU_BUILD_DIR/../linux/bin/tovupack"
  if [ -x "$native" ]; then
    "$native" "$@"
  else
    WINEPREFIX=$(wine_base_prefix) "$WINE_BIN" "$TOVU_BUILD_DIR/bin/tovupack.exe" "$@"
  fi
}

# build_fixture_package OUTPUT [FRAME]
build_fixture_package() {
  local frame=${2:-$TOVU_BUILD_DIR/bin/Fennock.exe}
  if ! tovupack build --frame "$frame" --settings "$FIXTURES/Properties_Tovu.ini" \
      --entry "$FIXTURES/Defaultx.ulf" --entry "$FIXTURES/750TopImage.PNG" \
      --entry "$FIXTURES/750BottomImage.PNG" --cabinet "$FIXTURES/WebCab1.cab" --output "$1"; then
    echo "FAIL: tovupack build failed"
    return 1
  fi
}

master_log() { echo "$WINEPREFIX/drive_c/ProgramData/Maravel/Automation/Logfiles/Tovu.log"; }

# expect DESCRIPTION COMMAND...: runs the check, reports, counts failures in
# $fail; returns 1 when the check fails (for a diagnostic behind "||").
expect() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; fail=1; return 1; fi
}

not_in_file() { ! grep -qF -- "$2" "$1"; }

# expect_lines_in_order FILE PATTERN...: each pattern (a glob piece; "*"
# matches within the line) is found on a line after the previous match.
expect_lines_in_order() {
  local file=$1; shift
  local line_no=0 pattern glob found n
  for pattern in "$@"; do
    # Everything but "*" is literal.
    glob=${pattern//\\/\\\\}
    glob=${glob//[/\\[}
    glob=${glob//\?/\\?}
    found=""
    n=0
    while IFS= read -r line; do
      n=$((n + 1))
      [ "$n" -le "$line_no" ] && continue
      line=${line%$'\r'}
      # shellcheck disable=SC2053
      if [[ "$line" == *$glob* ]]; then found=$n; break; fi
    done <"$file"
    if [ -z "$found" ]; then
      echo "FAIL: no line matching '$pattern' after line $line_no of $(basename "$file")"
      fail=1
      return
    fi
    line_no=$found
  done
  echo "ok: $# lines in order in $(basename "$file")"
}

# ---- crafting damaged packages ------------------------------------------
# The container starts directly behind the frame image, so its offset is
# the frame file's size; entry k's header starts behind entry k-1's data.
ENTRY_MARKER='{20726377-9F91-41b8-B514-20AE00AA235D}'

file_size() { stat -c %s "$1"; }

# entry_offset PACKAGE START INDEX: offset of entry INDEX (0-based).
entry_offset() {
  local pkg=$1 off=$2 index=$3 i n s
  for ((i = 0; i < index; i++)); do
    n=$(read_u32 "$pkg" $((off + 76)))
    s=$(read_u32 "$pkg" $((off + 80 + n)))
    off=$((off + 86 + n + s))
  done
  echo "$off"
}

read_u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

# write_u32 FILE OFFSET VALUE (little-endian, in place)
write_u32() {
  local v=$3
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# write_utf16 FILE OFFSET TEXT (in place)
write_utf16() { printf '%s' "$3" | iconv -f UTF-8 -t UTF-16LE | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# The settings file as the package stores it: UTF-16LE with byte-order mark.
expected_settings_entry() { { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$FIXTURES/Properties_Tovu.ini"; }; }
