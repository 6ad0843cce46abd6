#!/usr/bin/env bash
# Opens the playlist window inside the stand-in host, on the sample library:
# builds the Windows plug-in, the host and the command-line tool (x86_64,
# run by Wine), makes the sample library, scans it into the plug-in's start
# file, then starts the host, which opens the window as its "Show" menu entry
# would.
#
#   scripts/show_window.sh [--screenshot FILE.png]
#
# With a display (DISPLAY set) and no --screenshot, the window simply opens
# and stays until the host is closed. Without a display, or with
# --screenshot, it runs under Xvfb and saves PNGs: the playlist window
# (default build/window.png) and, beside it, the tray configuration dialog
# (tray-config.png, as the host menu's "Systray config" opens it) and the
# tray menu (tray-menu.png, as a click on the menu tray icon opens it).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TD_WINDOW_BUILD:-$root/build/window-win64}
library=$root/build/sample-library
demo=$build/demo-host
python=/usr/bin/python3
screenshot=""
[ "${1:-}" = "--screenshot" ] && screenshot=${2:-$root/build/window.png}
[ -z "${DISPLAY:-}" ] && [ -z "$screenshot" ] && screenshot=$root/build/window.png

fail() { echo "show_window: $*" >&2; exit 1; }

. "$root/scripts/wine_session.sh"
wine_session_build show_window "$root" "$build" || fail "no build"
trap wine_session_end EXIT
if [ -n "$screenshot" ]; then
  wine_session_xvfb "$build/xvfb.log" || fail "no display"
fi
wine_session_prefix "$build" "$build/wineboot.log" || fail "no Wine prefix"

# The host's folder: the program, Plugins\ with the plug-in and its start file.
wine_session_demo_host show_window "$root" "$build" "$demo" "$library" || fail "no host folder"

# 50120 is the "Show" entry the plug-in adds to the host's menu.
if [ -z "$screenshot" ]; then
  echo "show_window: opening the window (close the host to finish)"
  /usr/lib/wine/wine64 "$demo/tdhost.exe" --log "Z:$demo/host.log" --syscommand 50120
  exit 0
fi

# Runs the host with the given arguments until a window whose xwininfo line
# matches PATTERN is up, saves a picture of it to OUT, then ends the host.
capture() {
  local pattern=$1 out=$2 line="" geometry status=0
  shift 2
  /usr/lib/wine/wine64 "$demo/tdhost.exe" --log "Z:$demo/host.log" "$@" --quit-after 30000 &
  local host_pid=$!
  for _ in $(seq 1 200); do
    line=$(xwininfo -root -tree 2>/dev/null | grep -E "$pattern" | grep -v ' 1x1+' | head -n 1)
    [ -n "$line" ] && break
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$line" ]; then
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
    wait "$host_pid" 2>/dev/null || true
    return 1
  fi
  sleep 2   # let it paint
  geometry=$(echo "$line" \
    | sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) +\+(-?[0-9]+)\+(-?[0-9]+).*/\5,\6,\1,\2/')
  xwd -root -silent >"$build/screen.xwd"
  "$python" "$root/scripts/xwd_to_png.py" "$build/screen.xwd" "$out" ${geometry:+--crop "$geometry"} \
    || status=1
  # The next host must not find this one's window, nor a Wine that is
  # still going down.
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  wait "$host_pid" 2>/dev/null || true
  /usr/lib/wine/wineserver64 -w >/dev/null 2>&1 || true
  return $status
}

pictures=$(dirname "$screenshot")
mkdir -p "$pictures"
# 40089 shows each song's ID3v2 tag, or its ID3v1 tag when it has no ID3v2.
capture '"Tunedeck' "$screenshot" --syscommand 50120 --window-command 40089 \
  || fail "no picture of the playlist window (see $demo/host.log)"
echo "show_window: screenshot of the playlist window in $screenshot"

# The tray: every icon's box checked in the dialog; the menu icon clicked.
printf '[Tunedeck]\r\nActiveEnabled=1\r\nSystrayEnabled=127\r\n' >"$demo/Plugins/plugin.ini"
capture '"Tunedeck systray control' "$pictures/tray-config.png" --syscommand 50122 \
  || fail "no picture of the tray configuration dialog (see $demo/host.log)"
echo "show_window: screenshot of the tray configuration dialog in $pictures/tray-config.png"
printf '[Tunedeck]\r\nActiveEnabled=1\r\nSystrayEnabled=128\r\n' >"$demo/Plugins/plugin.ini"
# A popup menu is a window without a name; 1051 is the tray's callback,
# 1031 the menu icon, 513 a left button press.
capture '\(has no name\): \("tdhost.exe"' "$pictures/tray-menu.png" --post 1051:1031:513 \
  || fail "no picture of the tray menu (see $demo/host.log)"
echo "show_window: screenshot of the tray menu in $pictures/tray-menu.png"
