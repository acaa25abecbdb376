#!/usr/bin/env bash
# Builds everything and runs every test: native ones directly, Windows ones
# under wine64 with an X display from Xvfb, the native tests again under
# the sanitizers (asan.*) and a short run of each fuzz harness
# (native.fuzz.*). Ends with ctest's summary.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOVU_BUILD_ROOT:-$ROOT/build}

bash "$ROOT/scripts/build.sh"

# One X server for the whole run; tests started outside this script get
# their own through xvfb-run.
export TOVU_BUILD_DIR="$BUILD/win64"
source "$ROOT/tests/wine/wine-lib.sh"
XVFB_PID=0
if [ -z "${DISPLAY:-}" ]; then wine_own_display 90 130 || true; fi
cleanup() {
  WINEPREFIX=$(wine_base_prefix) wineserver -k 2>/dev/null || true
  if [ "$XVFB_PID" != 0 ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

# Make the Wine prefix once before tests run in parallel.
wine_ensure_base

cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
