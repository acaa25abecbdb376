#!/usr/bin/env bash
# Installs every Debian package the build and the tests need.
# Idempotent: packages already present are not fetched again.
set -euo pipefail

# What each package is for: README.md, "Dependencies".
PACKAGES=(
  cmake ninja-build g++
  libgtest-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  mingw-w64-x86-64-dev mingw-w64-i686-dev
  wine wine64
  xvfb xauth
  util-linux mount
  coreutils mawk libc-bin
  libssl-dev gcab cabextract
  zlib1g-dev libz-mingw-w64-dev time
  msitools wixl
  x11-apps x11-utils netpbm xdotool
  openssl osslsigncode
  clang libclang-rt-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
