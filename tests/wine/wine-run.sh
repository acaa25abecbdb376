#!/usr/bin/env bash
# Runs one Windows binary under wine64 in the build folder's prefix.
# Usage: wine-run.sh EXE [ARGS...]   (TOVU_BUILD_DIR must be set)
set -euo pipefail
source "$(dirname "$0")/wine-lib.sh"
wine_run "$@"
