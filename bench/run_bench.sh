#!/bin/sh
# Builds the benchmarks in release mode and runs the record reading benchmark.
#   bench/run_bench.sh [BUILD_DIR] [read_records options...]
# Example: bench/run_bench.sh build-bench --files 10000 --rounds 5
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
[ $# -gt 0 ] && shift
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DTD_BUILD_BENCH=ON -DTD_BUILD_TESTS=OFF -DTD_BUILD_CLI=OFF >/dev/null
ninja -C "$build" -j2 read_records >/dev/null
exec "$build/bench/read_records" "$@"
