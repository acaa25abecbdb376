#!/usr/bin/env bash
# Prints the seed folders of a harness, one a line: the test fixtures that
# fit it and its own seeds (tests/fuzz/seeds/<target>), where present.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
DATA=$(cd "$HERE/../data" && pwd)
target=$1
case $target in
  container|tovupack_list) dirs=("$DATA/package" "$HERE/seeds/package") ;;
  pe)                      dirs=("$DATA/conditions" "$HERE/seeds/package") ;;
  profile|tovupack_settings) dirs=("$DATA/ini" "$DATA/package" "$DATA/conditions" "$DATA/messages") ;;
  conditions)              dirs=("$DATA/conditions" "$DATA/ini") ;;
  messages)                dirs=("$DATA/messages" "$DATA/messages/noid" "$DATA/messages/wrongid" "$DATA/package") ;;
  cmdline)                 dirs=() ;;
  *) echo "seed-dirs: unknown target $target" >&2; exit 2 ;;
esac
dirs+=("$HERE/seeds/$target")
for d in "${dirs[@]}"; do
  if [ -d "$d" ]; then echo "$d"; fi
done
