#!/usr/bin/env bash
# Builds a Tunedeck release into build/release/ (or --out DIR):
#
#   gen_Tunedeck.dll                  the shipped plug-in: 32-bit (i686),
#                                     statically linked, built with -Werror
#   lang/*.lang.kqp                   the language files, made from lang/*.txt
#   Tunedeck-<version>-setup.exe      the installer (NSIS) for Winamp users
#   Tunedeck-<version>-x64-setup.exe  the same for an x86_64 build
#   Tunedeck-<version>.zip            the DLL and the language files, for
#                                     copying into Winamp's Plugins folder
#   SHA256SUMS
#
#   scripts/release.sh [--out DIR] [--arch x86|amd64|all]
#
# The version comes from plugin/version.h. TD_JOBS sets the build
# parallelism (2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/release
arches=(x86 amd64)
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --arch)
      case $2 in x86|amd64) arches=("$2") ;; all) arches=(x86 amd64) ;; *) echo "release: bad --arch $2" >&2; exit 2 ;; esac
      shift 2 ;;
    *) echo "usage: $0 [--out DIR] [--arch x86|amd64|all]" >&2; exit 2 ;;
  esac
done
jobs=${TD_JOBS:-2}
fail() { echo "release: $*" >&2; exit 1; }

version=$(sed -n 's/^#define TD_VERSION_TEXT "\(.*\)"$/\1/p' "$root/plugin/version.h")
[ -n "$version" ] || fail "no TD_VERSION_TEXT in plugin/version.h"
echo "release: Tunedeck $version into $out"
mkdir -p "$out"

# Builds the plug-in alone for one architecture into $out/build-ARCH and
# prints the path of the stripped module.
build_plugin() {
  local arch=$1 toolchain triplet dir
  case $arch in
    x86) toolchain=mingw-i686 triplet=i686-w64-mingw32 ;;
    amd64) toolchain=mingw-x86_64 triplet=x86_64-w64-mingw32 ;;
  esac
  dir=$out/build-$arch
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTD_WERROR=ON \
    -DTD_BUILD_TESTS=OFF -DTD_BUILD_CLI=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
    >"$dir.configure.log" 2>&1 || { tail -n 30 "$dir.configure.log" >&2; fail "configure ($arch) failed"; }
  ninja -C "$dir" -j "$jobs" gen_Tunedeck >"$dir.build.log" 2>&1 \
    || { grep -E -A5 'error:|FAILED:' "$dir.build.log" | head -n 60 >&2; fail "build ($arch) failed"; }
  ! grep -q 'warning:' "$dir.build.log" || fail "warnings in the $arch build (see $dir.build.log)"
  local dll=$dir/bin/gen_Tunedeck.dll
  # One export, system DLLs only: what the host and a bare Windows offer.
  local exports imports
  exports=$("$triplet-objdump" -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /\]/ {print $NF} on && !/\]/ {on=0}')
  [ "$exports" = winampGetGeneralPurposePlugin ] || fail "$arch module exports '$exports'"
  imports=$("$triplet-objdump" -p "$dll" | awk '/DLL Name:/ {print tolower($3)}' \
    | grep -v -E '^(kernel32|user32|gdi32|advapi32|shell32|ole32|comctl32|comdlg32|version|msvcrt)\.dll$' || true)
  [ -z "$imports" ] || fail "$arch module imports $imports"
  "$triplet-strip" --strip-unneeded -o "$dir/gen_Tunedeck.dll" "$dll"
  echo "$dir/gen_Tunedeck.dll"
}

echo "release: language files"
rm -rf "$out/lang"
mkdir -p "$out/lang"
for source in "$root"/lang/*.txt; do
  name=$(basename "$source" .txt)
  python3 "$root/scripts/make_lang.py" "$source" "$out/lang/${name^}.lang.kqp"
done

rm -f "$out"/Tunedeck-*-setup.exe "$out"/Tunedeck-*.zip "$out/SHA256SUMS"
for arch in "${arches[@]}"; do
  echo "release: building the $arch plug-in"
  dll=$(build_plugin "$arch")
  if [ "$arch" = x86 ]; then
    cp "$dll" "$out/gen_Tunedeck.dll"
    setup=$out/Tunedeck-$version-setup.exe
  else
    setup=$out/Tunedeck-$version-x64-setup.exe
  fi
  "$root/scripts/make_installer.sh" "$arch" "$dll" "$out/lang" "$setup"
done

if [ -f "$out/gen_Tunedeck.dll" ]; then
  # Flat, as the files go into the Plugins folder.
  stage=$(mktemp -d)
  cp "$out/gen_Tunedeck.dll" "$out"/lang/*.lang.kqp "$stage/"
  (cd "$stage" && python3 -m zipfile -c "$out/Tunedeck-$version.zip" ./*)
  rm -rf "$stage"
fi
(cd "$out" && sha256sum -- *.exe *.zip gen_Tunedeck.dll 2>/dev/null >SHA256SUMS || true)
echo "release: done"
ls -l "$out" | grep -v -e '^d' -e '^total'
