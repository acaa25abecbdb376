#!/usr/bin/env bash
# CUtil against drives of known kinds, for real under Wine:
#   C:  the prefix's own drive (fixed)
#   D:  CD-ROM                         -> ValidatePath 161
#   E:  fixed folder; holds a tree with a folder link out of it
#   G:  fixed tmpfs of 6 GiB           -> free space above 4 GiB
#   N:  network drive, read-only tmpfs -> ValidatePath 82
#   R:  fixed drive, read-only tmpfs   -> ValidatePath 5
#   S:  fixed tmpfs of 3 MiB           -> GetDiskFree of a known size
#   \\srv\share\ read-only share (82), \\srv\rw\ writable share (0)
# Z: is removed, so FindDrives(3, 16 MiB) must list exactly G:, E:, C:.
# Read-only mounts stop root, which Unix permissions do not; mounting needs
# root (exit 77 otherwise).
set -u
source "$(dirname "$0")/../wine-lib.sh"

EXE="$TOVU_BUILD_DIR/bin/win_cutil_wine_test.exe"
if [ ! -f "$EXE" ]; then
  echo "FAIL: $EXE is missing (build the win64 flavour)"
  exit 1
fi
if [ "$(id -u)" != 0 ]; then
  echo "SKIP: the read-only and sized file systems are tmpfs mounts, which need root"
  exit 77
fi

WORK="$TOVU_BUILD_DIR/wine/scratch/cutil_drives.work"
MOUNTS=()
cleanup() {
  wine_stop
  for m in "${MOUNTS[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

for m in "$WORK"/ro "$WORK"/big "$WORK"/small; do
  if mountpoint -q "$m" 2>/dev/null; then umount "$m" || umount -l "$m"; fi
done
rm -rf "$WORK"
mkdir -p "$WORK"/{ro,big,small,cd,fixed,share_rw}

mount_tmpfs() {  # OPTIONS DIR
  if ! mount -t tmpfs -o "$1" tmpfs "$2"; then
    echo "SKIP: mount -t tmpfs -o $1 failed (no mount rights in this container)"
    exit 77
  fi
  MOUNTS+=("$2")
}
mount_tmpfs ro,size=1m "$WORK/ro"
mount_tmpfs size=6g "$WORK/big"
mount_tmpfs size=3m "$WORK/small"

# A tree on E: with a plain file, a subfolder and a link to a folder
# outside the tree.
mkdir -p "$WORK/fixed/LinkTree/Sub" "$WORK/fixed/Outside"
echo plain >"$WORK/fixed/LinkTree/plain.txt"
echo sub >"$WORK/fixed/LinkTree/Sub/x.txt"
echo keep >"$WORK/fixed/Outside/keep.txt"
ln -s "$WORK/fixed/Outside" "$WORK/fixed/LinkTree/out"

wine_fresh_prefix cutil_drives
wine_remove_drive z
wine_add_drive d "$WORK/cd" cdrom
wine_add_drive e "$WORK/fixed"
wine_add_drive g "$WORK/big"
wine_add_drive n "$WORK/ro" network
wine_add_drive r "$WORK/ro"
wine_add_drive s "$WORK/small"
mkdir -p "$WINEPREFIX/dosdevices/unc/srv"
ln -s "$WORK/ro" "$WINEPREFIX/dosdevices/unc/srv/share"
ln -s "$WORK/share_rw" "$WINEPREFIX/dosdevices/unc/srv/rw"

# Without Z: the build folder is out of reach: run the copy on C:.
cp "$EXE" "$WINEPREFIX/drive_c/"

export TOVU_CUTIL_SHAPED=1
export TOVU_CUTIL_CDROM='D:\'
export TOVU_CUTIL_FIXED='E:\'
export TOVU_CUTIL_READONLY='R:\'
export TOVU_CUTIL_NETWORK='N:\'
export TOVU_CUTIL_UNC_RO='\\srv\share\'
export TOVU_CUTIL_UNC_RW='\\srv\rw\'
export TOVU_CUTIL_EXPECT_FIXED='G:\,E:\,C:\'
export TOVU_CUTIL_EXPECT_CDROM='D:\'
export TOVU_CUTIL_SMALL='S:\'
export TOVU_CUTIL_SMALL_BYTES=$((3 * 1024 * 1024))
export TOVU_CUTIL_BIG='G:\'
export TOVU_CUTIL_BIG_BYTES=$((6 * 1024 * 1024 * 1024))
export TOVU_CUTIL_BIG_PRINTED='6.00 GB'
export TOVU_CUTIL_LINK_TREE='E:\LinkTree'
export TOVU_CUTIL_LINK='E:\LinkTree\out'
export TOVU_CUTIL_KEEP_FILE='E:\Outside\keep.txt'

rc=0
wine_run "$WINEPREFIX/drive_c/win_cutil_wine_test.exe" --gtest_filter='CUtilShaped.*:CUtilWine.*' || rc=$?
if [ "$rc" != 0 ]; then
  echo "FAIL: the test binary returned $rc"
  exit 1
fi

# What the disk shows afterwards.
fail=0
[ -f "$WORK/fixed/Outside/keep.txt" ] || { echo "FAIL: the folder behind the link lost its file"; fail=1; }
[ -z "$(ls -A "$WORK/share_rw")" ] || { echo "FAIL: left on the writable share: $(ls -A "$WORK/share_rw")"; fail=1; }
[ ! -e "$WORK/fixed/Pkg" ] || { echo "FAIL: ValidatePath left E:\\Pkg behind"; fail=1; }
[ -z "$(ls -A "$WORK/big")" ] || { echo "FAIL: files on G:"; fail=1; }
exit $fail
