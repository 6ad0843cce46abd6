#!/usr/bin/env bash
# Builds the Windows x86_64 benchmarks (Release) and runs one of them under
# Wine, on an Xvfb display of its own: window_open (the window opening on a
# large start file, the default), add_directory (10,000 files gathered
# through the window against `tunedeck scan`) or tools_dialog (2,000 files
# mass tagged, or with --tool rename renamed, through the tools dialog against
# `tunedeck tag` or `tunedeck rename`).
#   bench/run_window_bench.sh [BUILD_DIR] [window_open|add_directory|tools_dialog] [options...]
# Examples: bench/run_window_bench.sh build-bench-win64 --entries 100000 --rounds 3
#           bench/run_window_bench.sh build-bench-win64 add_directory --files 10000
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench-win64"}
[ $# -gt 0 ] && shift
bench=window_open
case "${1:-}" in
  window_open|add_directory|tools_dialog) bench=$1; shift ;;
esac
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTD_BUILD_BENCH=ON \
  -DTD_BUILD_TESTS=OFF -DTD_BUILD_CLI=ON -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  >/dev/null
ninja -C "$build" -j2 "$bench" >/dev/null
. "$root/scripts/wine_session.sh"
trap wine_session_end EXIT
wine_session_xvfb "$build/xvfb.log"
wine_session_prefix "$build" "$build/wineboot.log"
echo "load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
/usr/lib/wine/wine64 "$build/bin/$bench.exe" "$@"
