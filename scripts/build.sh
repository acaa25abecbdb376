#!/usr/bin/env bash
# Builds the three flavours into build/linux, build/win64 and build/win32,
# and two checking builds of the native flavour: build/linux-asan (the
# native tests with AddressSanitizer and UndefinedBehaviorSanitizer, named
# asan.*) and build/fuzz (the libFuzzer harnesses, clang; short runs named
# native.fuzz.*).
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
# Light optimisation and line tables only: these builds are for finding
# faults, and their compile time counts in every test run.
configure "$BUILD/linux-asan" -DTOVU_SANITIZE=ON -DTOVU_NATIVE_TEST_PREFIX=asan. \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
configure "$BUILD/fuzz" -DCMAKE_CXX_COMPILER=clang++ -DTOVU_FUZZ=ON -DTOVU_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"

for flavour in linux win64 win32 linux-asan fuzz; do
  echo "== building $flavour"
  if ! cmake --build "$BUILD/$flavour" -- -j"$(nproc)" >"$BUILD/$flavour.build.log" 2>&1; then
    grep -Ev '^\[[0-9]+/[0-9]+\] ' "$BUILD/$flavour.build.log" | tail -60
    echo "build of $flavour failed (full log: $BUILD/$flavour.build.log)"
    exit 1
  fi
done

# One ctest tree over the native and the Windows tests.
cat > "$BUILD/CTestTestfile.cmake" <<CT
subdirs("linux" "win64" "linux-asan" "fuzz")
CT
