# Shared by the scripts that run the Windows build outside the test run:
# an Xvfb display of their own and a Wine prefix in a build folder.
# Source it, then:
#   wine_session_xvfb LOG          starts Xvfb on a free display, exports DISPLAY
#   wine_session_prefix DIR LOG    exports WINEPREFIX=DIR/wineprefix (made once)
#   wine_session_end               stops the wineserver and Xvfb (use in a trap)
# Both report on standard error and return 1 when they fail.

wine_session_xvfb_pid=""

wine_session_xvfb() {
  command -v Xvfb >/dev/null || { echo "Xvfb is missing (run scripts/setup.sh)" >&2; return 1; }
  local display
  for display in $(seq 140 160); do
    [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
    Xvfb ":$display" -nolisten tcp -screen 0 1024x768x24 >"$1" 2>&1 &
    wine_session_xvfb_pid=$!
    for _ in $(seq 1 50); do
      if [ -e "/tmp/.X11-unix/X$display" ]; then export DISPLAY=":$display"; return 0; fi
      sleep 0.1
    done
    kill "$wine_session_xvfb_pid" 2>/dev/null || true
    wine_session_xvfb_pid=""
  done
  echo "could not start Xvfb (see $1)" >&2
  return 1
}

wine_session_prefix() {
  [ -x /usr/lib/wine/wine64 ] || { echo "wine64 is missing (run scripts/setup.sh)" >&2; return 1; }
  export WINEPREFIX=$1/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  echo "creating the Wine prefix $WINEPREFIX (once)" >&2
  timeout 600 /usr/lib/wine/wine64 wineboot -i >"$2" 2>&1 || { echo "wineboot failed (see $2)" >&2; return 1; }
  if [ -n "$wine_session_xvfb_pid" ]; then  # no window manager under Xvfb
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >>"$2" 2>&1 || true
  fi
  timeout 120 /usr/lib/wine/wineserver64 -w || true
}

wine_session_end() {
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  [ -n "$wine_session_xvfb_pid" ] && kill "$wine_session_xvfb_pid" 2>/dev/null || true
}
