#!/usr/bin/env bash
# The extraction validator's free-space check against a drive of known
# free space, for real under Wine: S: is a fresh tmpfs of 1 MiB, so the
# check sees exactly 1,048,576 bytes free ("exactly enough" passes, "10
# bytes short" is refused). Mounting needs root (exit 77 otherwise).
set -u
source "$(dirname "$0")/../wine-lib.sh"

EXE="$TOVU_BUILD_DIR/bin/win_validator_win_test.exe"
if [ ! -f "$EXE" ]; then
  echo "FAIL: $EXE is missing (build the win64 flavour)"
  exit 1
fi
if [ "$(id -u)" != 0 ]; then
  echo "SKIP: the drive of known size is a tmpfs mount, which needs root"
  exit 77
fi

WORK="$TOVU_BUILD_DIR/wine/scratch/validator_space.work"
MOUNTED=""
cleanup() {
  wine_stop
  if [ -n "$MOUNTED" ]; then umount "$MOUNTED" 2>/dev/null || umount -l "$MOUNTED" 2>/dev/null; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

if mountpoint -q "$WORK/small" 2>/dev/null; then umount "$WORK/small" || umount -l "$WORK/small"; fi
rm -rf "$WORK"
mkdir -p "$WORK/small"
if ! mount -t tmpfs -o size=1m tmpfs "$WORK/small"; then
  echo "SKIP: mount -t tmpfs failed (no mount rights in this container)"
  exit 77
fi
MOUNTED="$WORK/small"

wine_fresh_prefix validator_space
wine_add_drive s "$WORK/small"

export TOVU_VALIDATOR_SHAPED=1
export TOVU_VALIDATOR_DRIVE='S:\'
export TOVU_VALIDATOR_BYTES=$((1024 * 1024))

rc=0
wine_run "$EXE" --gtest_filter='ValidatorShaped.*' || rc=$?
if [ "$rc" != 0 ]; then
  echo "FAIL: the test binary returned $rc"
  exit 1
fi
if [ -n "$(ls -A "$WORK/small")" ]; then
  echo "FAIL: left on the drive: $(ls -A "$WORK/small")"
  exit 1
fi
exit 0
