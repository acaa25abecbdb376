#!/usr/bin/env bash
# Builds the three flavours into build/linux, build/win64 and build/win32.
# Installs the Debian packages first (does nothing when they are present).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TOVU_BUILD_ROOT:-$ROOT/build}

bash "$ROOT/scripts/install-deps.sh"

configure() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  fi
}

configure "$BUILD/linux"
configure "$BUILD/win64" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-x86_64.cmake"
# The shipped frame: built and linked in every run, never run here.
configure "$BUILD/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" -DTOVU_BUILD_TESTS=OFF

for flavour in linux win64 win32; do
  echo "== building $flavour"
  if ! cmake --build "$BUILD/$flavour" -- -j"$(nproc)" >"$BUILD/$flavour.build.log" 2>&1; then
    grep -Ev '^\[[0-9]+/[0-9]+\] ' "$BUILD/$flavour.build.log" | tail -60
    echo "build of $flavour failed (full log: $BUILD/$flavour.build.log)"
    exit 1
  fi
done

# One ctest tree over the native and the Windows tests.
cat > "$BUILD/CTestTestfile.cmake" <<CT
subdirs("linux" "win64")
CT
