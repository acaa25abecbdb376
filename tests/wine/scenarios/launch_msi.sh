#!/usr/bin/env bash
# A Windows Installer package built with wixl goes through the process
# launcher: msiexec /i "<package>" /qn in a prefix of its own, and the
# package's file appears in that prefix.
set -euo pipefail
source "$(dirname "$0")/../wine-lib.sh"
if ! command -v wixl >/dev/null; then echo "wixl missing (scripts/install-deps.sh)"; exit 77; fi

work="$TOVU_BUILD_DIR/wine/launch_msi"
rm -rf "$work"; mkdir -p "$work"
cp "$TOVU_SOURCE_DIR/tests/data/launch/product.wxs" "$TOVU_SOURCE_DIR/tests/data/launch/hello.txt" "$work/"
(cd "$work" && wixl -a x64 -o Product.msi product.wxs)

wine_fresh_prefix launch_msi
installed="$WINEPREFIX/drive_c/Program Files/TovuLaunchTest/hello.txt"
rm -f "$installed"
export TOVU_LAUNCH_MSI="Z:$(echo "$work/Product.msi" | tr / '\\')"
export TOVU_LAUNCH_MSI_FILE='C:\Program Files\TovuLaunchTest\hello.txt'
wine_run "$TOVU_BUILD_DIR/bin/win_launch_process_test.exe" --gtest_filter='Process.AWindowsInstallerPackageIsInstalledThroughMsiexec'
cmp "$installed" "$work/hello.txt"
echo "installed: $installed"
wine_stop
