#!/usr/bin/env bash
# The short run of one harness in the test suite: every seed once, then
# SECONDS of fuzzing from them. New inputs go to a scratch corpus that each
# run starts afresh; a crashing input is kept in BUILD/crashes/.
#   run-short.sh BINARY TARGET SECONDS BUILD
set -euo pipefail
bin=$1 target=$2 seconds=$3 build=$4
HERE=$(cd "$(dirname "$0")" && pwd)
scratch=$build/ctest-corpus/$target
rm -rf "$scratch"
mkdir -p "$scratch" "$build/crashes"
mapfile -t seeds < <(bash "$HERE/seed-dirs.sh" "$target")
exec "$bin" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/crashes/$target-" "$scratch" "${seeds[@]}"
