#!/usr/bin/env bash
# Builds the `tunedeck` command-line tool, generates the sample
# library (real MP3/MP2 files tagged by other programs) and shows what the tag
# engine reads from every file, as text and as JSON.
#
#   scripts/cli_demo.sh      (after scripts/setup.sh)
#
# Output: the listing on standard output, build/sample-library.json beside it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TD_MAIN_BUILD:-$root/build/main}
library=$root/build/sample-library
python=/usr/bin/python3   # Debian's, which has python3-mutagen
maker=$root/tests/interop/make_library.py

fail() { echo "main: $*" >&2; exit 1; }

[ -x "$python" ] || fail "$python is missing (run scripts/setup.sh)"
[ -f "$maker" ] || fail "$maker is missing"

echo "main: building the command-line tool in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTD_BUILD_TESTS=OFF -DTD_BUILD_CLI=ON >"$build.configure.log" 2>&1 \
  || { tail -n 30 "$build.configure.log"; fail "cmake configure failed"; }
ninja -C "$build" -j "${TD_JOBS:-2}" tunedeck >"$build.build.log" 2>&1 \
  || { tail -n 40 "$build.build.log"; fail "build failed"; }

echo "main: generating the sample library in $library"
"$python" "$maker" --out "$library"

mapfile -t files < <(find "$library" -maxdepth 1 -type f \( -name '*.mp3' -o -name '*.mp2' \) | sort)
[ ${#files[@]} -gt 0 ] || fail "the sample library is empty"

# Files the library marks as deliberately damaged are expected to be refused.
expected_unreadable=$("$python" -c '
import json, sys
with open(sys.argv[1], encoding="utf-8") as f:
    print(sum(1 for e in json.load(f)["files"] if e.get("unreadable")))
' "$library/manifest.json")

echo "main: tunedeck info over ${#files[@]} files"
echo
status=0
"$build/tunedeck" info "${files[@]}" || status=$?
"$build/tunedeck" info --json "${files[@]}" >"$root/build/sample-library.json" 2>/dev/null || true
echo
case $status in
  0) echo "main: all ${#files[@]} files read; JSON in build/sample-library.json" ;;
  1) if [ "$expected_unreadable" -gt 0 ]; then
       echo "main: done; $expected_unreadable deliberately damaged file(s) were refused as expected;" \
            "JSON in build/sample-library.json"
     else
       fail "some files could not be read"
     fi ;;
  *) fail "tunedeck info failed with status $status" ;;
esac
