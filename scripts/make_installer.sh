#!/usr/bin/env bash
# Makes the Windows installer of Tunedeck with NSIS (scripts/installer/
# tunedeck.nsi) from a built plug-in and a folder of language files.
#
#   scripts/make_installer.sh ARCH DLL LANGDIR OUT.exe
#
# ARCH is x86 (the shipped 32-bit plug-in) or amd64. The version comes from
# plugin/version.h, the one place that states it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 4 ] || { echo "usage: $0 x86|amd64 DLL LANGDIR OUT.exe" >&2; exit 2; }
arch=$1 dll=$(realpath "$2") langdir=$(realpath "$3") out=$(realpath -m "$4")
case $arch in x86|amd64) ;; *) echo "make_installer: ARCH must be x86 or amd64" >&2; exit 2 ;; esac
[ -f "$dll" ] || { echo "make_installer: $dll is missing" >&2; exit 1; }
command -v makensis >/dev/null || { echo "make_installer: makensis is missing (run scripts/setup.sh)" >&2; exit 1; }

version=$(sed -n 's/^#define TD_VERSION_TEXT "\(.*\)"$/\1/p' "$root/plugin/version.h")
[ -n "$version" ] || { echo "make_installer: no TD_VERSION_TEXT in plugin/version.h" >&2; exit 1; }

# The language files by name, for the installer's File and the
# uninstaller's Delete lines: the uninstaller removes only these.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  echo '!macro TD_INSTALL_LANGUAGES'
  for file in "$langdir"/*.lang.kqp; do [ -f "$file" ] && echo "  File \"$file\""; done
  echo '!macroend'
  echo '!macro TD_REMOVE_LANGUAGES'
  for file in "$langdir"/*.lang.kqp; do [ -f "$file" ] && echo "  Delete \"\$INSTDIR\\$(basename "$file")\""; done
  echo '!macroend'
} >"$work/files.nsh"

mkdir -p "$(dirname "$out")"
makensis -V2 -NOCD -DARCH="$arch" -DVERSION="$version" -DDLL="$dll" -DFILES="$work/files.nsh" \
  -DOUTFILE="$out" "$root/scripts/installer/tunedeck.nsi"
echo "make_installer: $out ($arch, version $version)"
