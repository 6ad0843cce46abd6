#!/usr/bin/env bash
# Installs Tunedeck with its amd64 installer, silently, under wine64 into a
# stand-in host folder (the stand-in host program as winamp.exe, a Plugins
# folder holding files of other programs and an older gen_Tunedeck.dll),
# checks that the host loads the plug-in and opens its window, installs
# again over the result (settings and start file kept), uninstalls (only the
# installed files go), then installs and uninstalls with /PURGE (the
# settings go too, other files stay).
#
#   check_installer.sh SETUP.exe DLL TDHOST.exe LANGDIR WORKDIR
#
# DLL is the plug-in the installer holds, LANGDIR the language files.
#
# Needs WINEPREFIX and DISPLAY (the host opens windows). Exit status 0 when
# every check passed.
set -euo pipefail

[ $# -eq 5 ] || { echo "usage: $0 SETUP.exe DLL TDHOST.exe LANGDIR WORKDIR" >&2; exit 2; }
setup=$(realpath "$1") dll=$(realpath "$2") tdhost=$(realpath "$3") langdir=$(realpath "$4")
work=$(realpath -m "$5")
wine=/usr/lib/wine/wine64
failures=0

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
same() { cmp -s "$1" "$2"; }
absent() { [ ! -e "$1" ]; }
winpath() { echo "Z:${1//\//\\}"; }
registered() { "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tunedeck' >/dev/null 2>&1; }
unregistered() { ! registered; }

# Waits for a file to appear or go (the uninstaller runs from a copy of
# itself and returns before it has finished).
wait_for() {  # wait_for gone|there FILE
  local i
  for i in $(seq 1 300); do
    if [ "$1" = gone ] && [ ! -e "$2" ]; then return 0; fi
    if [ "$1" = there ] && [ -e "$2" ]; then return 0; fi
    sleep 0.1
  done
  return 1
}

install() { timeout 120 "$wine" "$setup" /S "/D=$(winpath "$host")"; }
uninstall() { timeout 120 "$wine" "$plugins/Uninstall_Tunedeck.exe" /S "$@"; wait_for gone "$plugins/Uninstall_Tunedeck.exe"; }
run_host() {  # opens the plug-in's window through its menu entry, then quits
  rm -f "$work/host.log"
  timeout 120 "$wine" "$host/winamp.exe" --log "$(winpath "$work/host.log")" --syscommand 50120 --quit-after 3000
}
listing() { (cd "$host" && find . -type f | LC_ALL=C sort); }

rm -rf "$work"
host=$work/Winamp
plugins=$host/Plugins
mkdir -p "$plugins/sub"
cp "$tdhost" "$host/winamp.exe"
echo "another program's file" >"$plugins/in_other.dll"
echo "the user's own notes" >"$plugins/sub/notes.txt"
echo "an older Tunedeck" >"$plugins/gen_Tunedeck.dll"

# --- first install, over an older module ------------------------------------
install
check "installer puts the plug-in into Plugins" same "$plugins/gen_Tunedeck.dll" "$dll"
for lang in "$langdir"/*.lang.kqp; do
  check "installer puts $(basename "$lang") into Plugins" same "$plugins/$(basename "$lang")" "$lang"
done
check "installer writes its uninstaller" test -f "$plugins/Uninstall_Tunedeck.exe"
check "installer registers the uninstaller" registered

run_host
check "the host loads the plug-in" grep -q '^#init gen_Tunedeck.dll' "$work/host.log"
# Only the playlist window's position panel asks for the play position.
check "the plug-in's window opens" grep -q '^1024 w=0 l=105 ' "$work/host.log"
check "the plug-in quits with the host" grep -q '^#quit gen_Tunedeck.dll' "$work/host.log"
for kept in gen_Tunedeck.ini gen_Tunedeck.KQ3 plugin.ini; do
  check "the run leaves $kept" test -f "$plugins/$kept"
done

# --- again, over the installed version: the user's files are kept ------------
mkdir -p "$work/before"
for kept in gen_Tunedeck.ini gen_Tunedeck.KQ3 plugin.ini; do cp "$plugins/$kept" "$work/before/"; done
echo "foreign file written after the install" >"$plugins/later.txt"
install
for kept in gen_Tunedeck.ini gen_Tunedeck.KQ3 plugin.ini; do
  check "installing again keeps $kept" same "$plugins/$kept" "$work/before/$kept"
done
run_host
check "the host loads the reinstalled plug-in" grep -q '^1024 w=0 l=105 ' "$work/host.log"
rm -f "$work/host.log"

# --- uninstall: exactly the installed files go ----------------------------------
listing >"$work/installed.txt"
uninstall
listing >"$work/after.txt"
expected=$(grep -v -e '^./Plugins/gen_Tunedeck.dll$' -e '^./Plugins/Uninstall_Tunedeck.exe$' \
  -e '\.lang\.kqp$' "$work/installed.txt")
check "uninstalling removes exactly the installed files" [ "$expected" = "$(cat "$work/after.txt")" ]
check "uninstalling keeps another program's file" test -f "$plugins/in_other.dll"
check "uninstalling keeps the settings" same "$plugins/gen_Tunedeck.ini" "$work/before/gen_Tunedeck.ini"
check "uninstalling keeps the start file" test -f "$plugins/gen_Tunedeck.KQ3"
check "uninstalling unregisters the uninstaller" unregistered

# --- install, then uninstall asking for the settings to go too -------------------
install
uninstall /PURGE
check "/PURGE removes the settings" absent "$plugins/gen_Tunedeck.ini"
check "/PURGE removes the start file" absent "$plugins/gen_Tunedeck.KQ3"
no_section() { ! grep -q '^\[Tunedeck\]' "$plugins/plugin.ini" 2>/dev/null; }
check "/PURGE removes the plug-in's plugin.ini section" no_section
check "/PURGE keeps the other files" test -f "$plugins/in_other.dll" -a -f "$plugins/sub/notes.txt" -a -f "$plugins/later.txt"
check "/PURGE removes the plug-in" absent "$plugins/gen_Tunedeck.dll"

echo "installer checks: $failures failed"
[ "$failures" -eq 0 ]
