#!/usr/bin/env bash
# Fuzzing campaigns: builds the fuzz flavour (clang, libFuzzer, ASan and
# UBSan) into build/fuzz and runs each harness for SECONDS (default 60),
# one after the other, over its corpus build/fuzz/corpus/<target> (kept
# between runs, started from the seeds). Inputs that crash, leak, time out
# or run out of memory go to build/fuzz/crashes/<target>-*. After a finding
# the harness starts again for the rest of its time. Prints executions and
# findings per target.
#   scripts/fuzz.sh [SECONDS] [TARGET...]    (targets: tests/fuzz/*_fuzz.cpp)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOVU_BUILD_ROOT:-$ROOT/build}
FUZZ=$BUILD/fuzz
SECONDS_EACH=${1:-60}
shift || true

if [ $# -eq 0 ]; then
  set -- $(cd "$ROOT/tests/fuzz" && ls *_fuzz.cpp | sed 's/_fuzz\.cpp$//')
fi

bash "$ROOT/scripts/install-deps.sh"
if [ ! -f "$FUZZ/build.ninja" ]; then
  cmake -S "$ROOT" -B "$FUZZ" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DTOVU_FUZZ=ON -DTOVU_BUILD_TESTS=OFF >/dev/null
fi
targets=()
for t in "$@"; do targets+=("${t}_fuzz"); done
if ! cmake --build "$FUZZ" --target "${targets[@]}" -- -j"$(nproc)" >"$FUZZ.build.log" 2>&1; then
  grep -Ev '^\[[0-9]+/[0-9]+\] ' "$FUZZ.build.log" | tail -40
  echo "fuzz: build failed (full log: $FUZZ.build.log)"
  exit 1
fi

mkdir -p "$FUZZ/crashes" "$FUZZ/logs"
summary=()
status=0
for t in "$@"; do
  corpus=$FUZZ/corpus/$t
  mkdir -p "$corpus"
  mapfile -t seeds < <(bash "$ROOT/tests/fuzz/seed-dirs.sh" "$t")
  # Text formats: longer inputs only slow the search down.
  case $t in
    profile|messages|conditions|tovupack_settings|cmdline) maxlen=(-max_len=4096) ;;
    *) maxlen=() ;;
  esac
  before=$(ls "$FUZZ/crashes" | grep -c "^$t-" || true)
  log=$FUZZ/logs/$t.log
  run=$FUZZ/logs/$t.run.log
  : >"$log"
  execs=0
  left=$SECONDS_EACH
  runs=0
  while [ "$left" -gt 0 ] && [ "$runs" -lt 10 ]; do
    started=$(date +%s)
    runs=$((runs + 1))
    rc=0
    "$FUZZ/bin/${t}_fuzz" -max_total_time="$left" -timeout=25 -rss_limit_mb=2048 "${maxlen[@]}" \
      -print_final_stats=1 -artifact_prefix="$FUZZ/crashes/$t-" "$corpus" "${seeds[@]}" >"$run" 2>&1 || rc=$?
    n=$(grep -Eo '^#[0-9]+' "$run" | tr -d '#' | sort -n | tail -1 || true)
    s=$(grep -Eo 'stat::number_of_executed_units: [0-9]+' "$run" | tail -1 | grep -Eo '[0-9]+$' || true)
    execs=$((execs + ${s:-${n:-0}}))
    cat "$run" >>"$log"
    rm -f "$run"
    left=$((left - ($(date +%s) - started)))
    [ "$rc" -eq 0 ] && break
  done
  after=$(ls "$FUZZ/crashes" | grep -c "^$t-" || true)
  found=$((after - before))
  [ "$found" -gt 0 ] && status=1
  line=$(printf '%-18s %10d executions  %d finding(s)  corpus %d' "$t" "$execs" "$found" "$(ls "$corpus" | wc -l)")
  echo "$line"
  summary+=("$line")
done
echo "== fuzz summary ($SECONDS_EACH s each; findings in $FUZZ/crashes, logs in $FUZZ/logs)"
printf '%s\n' "${summary[@]}"
exit $status
