#!/usr/bin/env bash
# Builds the Windows x86_64 benchmarks (Release) and runs the window opening
# benchmark under Wine, on an Xvfb display of its own.
#   bench/run_window_bench.sh [BUILD_DIR] [window_open options...]
# Example: bench/run_window_bench.sh build-bench-win64 --entries 100000 --rounds 3
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench-win64"}
[ $# -gt 0 ] && shift
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTD_BUILD_BENCH=ON \
  -DTD_BUILD_TESTS=OFF -DTD_BUILD_CLI=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  >/dev/null
ninja -C "$build" -j2 window_open >/dev/null
. "$root/scripts/wine_session.sh"
trap wine_session_end EXIT
wine_session_xvfb "$build/xvfb.log"
wine_session_prefix "$build" "$build/wineboot.log"
/usr/lib/wine/wine64 "$build/bin/window_open.exe" "$@"
