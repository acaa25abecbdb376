#!/usr/bin/env bash
# Builds everything and runs every test: native ones directly, Windows ones
# under wine64 with an X display from Xvfb. Ends with ctest's summary.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOVU_BUILD_ROOT:-$ROOT/build}

bash "$ROOT/scripts/build.sh"

# One X server for the whole run; tests started outside this script get
# their own through xvfb-run.
XVFB_PID=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 130); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then :; fi
  WINEPREFIX="$BUILD/win64/wine/prefix" wineserver -k 2>/dev/null || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

# Make the Wine prefix once before tests run in parallel.
TOVU_BUILD_DIR="$BUILD/win64" bash -c "source '$ROOT/tests/wine/wine-lib.sh'; wine_ensure_base"

cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
