#!/usr/bin/env bash
# Builds everything and runs the main job.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOVU_BUILD_ROOT:-$ROOT/build}
bash "$ROOT/scripts/build.sh"
source "$ROOT/tests/wine/wine-lib.sh" 2>/dev/null || true
