#!/bin/sh
# Builds one benchmark in release mode and runs it: read_records (the
# default), dupes_bench, export_html, gather_bench, kq3_load, search_bench,
# selection_ops, sort_rows, tools_bench or volume_lookup. tools_bench_mutagen
# runs the mutagen reference of tools_bench on the same files.
#   bench/run_bench.sh [BUILD_DIR] [NAME] [options...]
# Examples: bench/run_bench.sh build-bench --files 10000 --rounds 5
#           bench/run_bench.sh build-bench kq3_load --entries 100000
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
[ $# -gt 0 ] && shift
bench=read_records
case "${1:-}" in
  read_records|dupes_bench|export_html|gather_bench|kq3_load|search_bench|selection_ops|sort_rows|tools_bench|volume_lookup)
    bench=$1
    shift
    ;;
  tools_bench_mutagen)
    shift
    exec /usr/bin/python3 "$root/bench/tools_bench_mutagen.py" "$@"
    ;;
esac
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DTD_BUILD_BENCH=ON -DTD_BUILD_TESTS=OFF -DTD_BUILD_CLI=OFF >/dev/null
ninja -C "$build" -j2 "$bench" >/dev/null
exec "$build/bench/$bench" "$@"
