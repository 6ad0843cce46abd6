#!/usr/bin/env bash
# Installs what building and testing Tunedeck needs on Debian 12. Safe to run
# again: does nothing when every package is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  clang libclang-rt-14-dev                 # fuzz targets (libFuzzer, sanitizers)
  googletest libgtest-dev                  # GoogleTest sources, built per variant
  zlib1g-dev
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
  wine64 xvfb                              # Windows build's tests
  x11-apps x11-utils                       # screenshots of the window (xwd, xwininfo)
  lame twolame sox id3v2 python3 python3-mutagen   # sample files, interop tests
  libtag1-dev                              # comparison reader in the benchmarks
  nsis                                     # the Windows installer (scripts/release.sh)
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup: must run as root (or with sudo available) to install packages" >&2
    exit 1
  fi
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q "${missing[@]}"
echo "setup: done"
