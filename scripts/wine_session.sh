# Shared by the scripts that run the Windows build outside the test run:
# an Xvfb display of their own and a Wine prefix in a build folder.
# Source it, then:
#   wine_session_xvfb LOG          starts Xvfb on a free display, exports DISPLAY
#   wine_session_prefix DIR LOG    exports WINEPREFIX=DIR/wineprefix (made once)
#   wine_session_end               stops the wineserver and Xvfb (use in a trap)
#   wine_session_build NAME ROOT BUILD
#                                  builds the x86_64 plug-in, the stand-in host
#                                  and the command-line tool (Release) in BUILD
#   wine_session_demo_host NAME ROOT BUILD DEMO LIBRARY
#                                  makes the sample library in LIBRARY, lays out
#                                  the host folder DEMO (tdhost.exe, Plugins\
#                                  with the plug-in) and scans the library into
#                                  the plug-in's start file (needs the prefix)
# They report on standard error (NAME starts their lines) and return 1 when
# they fail.

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

wine_session_build() {
  local name=$1 root=$2 build=$3
  echo "$name: building the plug-in, the host and the tool in $build"
  mkdir -p "$build"
  if ! cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTD_BUILD_TESTS=OFF \
      -DTD_BUILD_CLI=ON -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >"$build/configure.log" 2>&1; then
    tail -n 30 "$build/configure.log" >&2
    echo "$name: cmake configure failed" >&2
    return 1
  fi
  if ! ninja -C "$build" -j "${TD_JOBS:-2}" gen_Tunedeck tdhost tunedeck >"$build/build.log" 2>&1; then
    tail -n 40 "$build/build.log" >&2
    echo "$name: build failed" >&2
    return 1
  fi
}

wine_session_demo_host() {
  local name=$1 root=$2 build=$3 demo=$4 library=$5
  echo "$name: the sample library in $library"
  /usr/bin/python3 "$root/tests/interop/make_library.py" --out "$library" >/dev/null || return 1
  rm -rf "$demo"
  mkdir -p "$demo/Plugins"
  cp "$build/bin/tdhost.exe" "$demo/"
  cp "$build/bin/gen_Tunedeck.dll" "$demo/Plugins/"
  echo "$name: scanning the library into the start file"
  # The library holds a file named so that Windows cannot open it: the scan
  # leaves it out and says so (exit status 1), and still saves the others.
  /usr/lib/wine/wine64 "$build/tunedeck.exe" scan -r "Z:$library" -o "Z:$demo/Plugins/gen_Tunedeck.KQ3" \
    >"$build/scan.log" 2>&1 || [ -s "$demo/Plugins/gen_Tunedeck.KQ3" ] || {
    cat "$build/scan.log" >&2
    echo "$name: scan failed" >&2
    return 1
  }
}
