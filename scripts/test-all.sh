#!/usr/bin/env bash
# Builds every variant of Tunedeck and runs its tests:
#   native     RelWithDebInfo build, unit tests and the interop test
#   sanitize   the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   mingw64    Windows x86_64 build, unit tests under Wine
#   mingw32    Windows i686 build with warnings as errors (not run)
#   installer  the x86_64 installer, installed and uninstalled silently under
#              Wine in a stand-in host folder (builds mingw64 when needed)
#   fuzz       clang libFuzzer targets, each run for a short while
#
#   scripts/test-all.sh [STEP...]     (default: all steps, in this order)
#
# Environment: TD_BUILD_ROOT (default <repo>/build/test-all), TD_JOBS (2),
# TD_FUZZ_SECONDS (20 per target).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${TD_BUILD_ROOT:-$root/build/test-all}
jobs=${TD_JOBS:-2}
fuzz_seconds=${TD_FUZZ_SECONDS:-20}
all_steps=(native sanitize mingw64 mingw32 installer fuzz)
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=("${all_steps[@]}")
for step in "${steps[@]}"; do
  case " ${all_steps[*]} " in
    *" $step "*) ;;
    *) echo "test-all: unknown step '$step' (steps: ${all_steps[*]})" >&2; exit 2 ;;
  esac
done

mkdir -p "$build_root"
summary=()
current=""
xvfb_pid=""
started=$(date +%s)

cleanup() {
  local status=$?
  if [ -n "${WINEPREFIX:-}" ] && [ -x /usr/lib/wine/wineserver64 ]; then
    /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" >/dev/null 2>&1 || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ $status -ne 0 ] && [ -n "$current" ]; then
    summary+=("FAILED  $current")
  fi
  echo
  echo "==================== test-all summary ===================="
  local line
  for line in "${summary[@]}"; do echo "  $line"; done
  echo "  total $(( $(date +%s) - started )) s"
  if [ $status -eq 0 ]; then echo "  ALL PASSED"; else echo "  FAILED (exit $status)"; fi
  exit $status
}
trap cleanup EXIT
trap "exit 130" INT
trap "exit 143" TERM

log() { echo; echo "=== [$current] $*"; }

fail() {
  echo "test-all: [$current] $*" >&2
  exit 1
}

# Configures and builds into $1 with the remaining cmake arguments; the full
# build output goes to build.log, and compiler warnings are counted.
build() {
  local dir=$1
  shift
  mkdir -p "$dir"
  log "configure $dir"
  cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir/configure.log" 2>&1 \
    || { tail -n 40 "$dir/configure.log"; fail "cmake configure failed (see $dir/configure.log)"; }
  log "build ($jobs jobs)"
  if ! ninja -C "$dir" -j "$jobs" >"$dir/build.log" 2>&1; then
    grep -E -A5 'error:|FAILED:|undefined reference' "$dir/build.log" | head -n 80
    fail "build failed (see $dir/build.log)"
  fi
  warnings=$(grep -c 'warning:' "$dir/build.log" || true)
  if [ "$warnings" -gt 0 ]; then
    echo "--- $warnings compiler warning(s):"
    grep 'warning:' "$dir/build.log" | sort -u | head -n 20
  fi
}

run_ctest() {
  local dir=$1
  shift
  log "ctest"
  ctest --test-dir "$dir" --output-on-failure --timeout 900 -j "$jobs" "$@" \
    || fail "tests failed"
}

step_begin() {
  current=$1
  step_started=$(date +%s)
  echo
  echo "#################### $current ####################"
}

step_end() {
  summary+=("ok      $current ($(( $(date +%s) - step_started )) s${1:+, $1})")
  current=""
}

step_native() {
  step_begin native
  local dir=$build_root/native
  # The benchmarks are built (not run) so that they keep compiling.
  build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTD_BUILD_BENCH=ON
  run_ctest "$dir"
  step_end "$warnings warnings"
}

step_sanitize() {
  step_begin sanitize
  local dir=$build_root/sanitize
  build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTD_SANITIZE=ON -DTD_BUILD_BENCH=OFF
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    run_ctest "$dir"
  step_end "$warnings warnings"
}

# The plug-in is one self-contained module: a Windows binary may import
# nothing but system DLLs (no MinGW runtime, no zlib1.dll).
check_imports() {
  local dir=$1 objdump=$2 binary dll bad=""
  for binary in "$dir/tunedeck.exe" "$dir/tests/tdcore_tests.exe" \
      "$dir"/bin/*.exe "$dir"/bin/*.dll; do
    [ -f "$binary" ] || continue
    for dll in $("$objdump" -p "$binary" | awk '/DLL Name:/ {print tolower($3)}'); do
      case $dll in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|oleaut32.dll|\
        comctl32.dll|comdlg32.dll|shlwapi.dll|version.dll|msvcrt.dll|ws2_32.dll|winmm.dll|\
        api-ms-win-*) ;;
        *) bad+=" $(basename "$binary"):$dll" ;;
      esac
    done
  done
  [ -z "$bad" ] || fail "non-system DLLs imported:$bad"
  echo "--- imports: system DLLs only"
}

# The host finds the plug-in by one exported name; nothing else is exported.
check_exports() {
  local dll=$1 objdump=$2 names
  [ -f "$dll" ] || fail "$dll was not built"
  names=$("$objdump" -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /\]/ {print $NF} on && !/\]/ {on=0}')
  [ "$names" = "winampGetGeneralPurposePlugin" ] \
    || fail "$(basename "$dll") exports '${names//$'\n'/ }' instead of winampGetGeneralPurposePlugin alone"
  echo "--- exports: winampGetGeneralPurposePlugin only"
}

start_xvfb() {
  [ -n "$xvfb_pid" ] && return 0
  command -v Xvfb >/dev/null || fail "Xvfb is missing (run scripts/setup.sh)"
  local display
  for display in $(seq 99 120); do
    [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
    Xvfb ":$display" -nolisten tcp -screen 0 800x600x24 >"$build_root/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$display" ] && { export DISPLAY=":$display"; return 0; }
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  fail "could not start Xvfb (see $build_root/xvfb.log)"
}

# A Wine prefix of its own in build folder $1, made once.
wine_prefix() {
  local dir=$1
  export WINEPREFIX=$dir/wineprefix WINEARCH=win64 WINEDEBUG=-all
  # No Mono or Gecko: their installers would wait for a click.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "create Wine prefix $WINEPREFIX"
    timeout 600 /usr/lib/wine/wine64 wineboot -i >"$dir/wineboot.log" 2>&1 \
      || { tail -n 20 "$dir/wineboot.log"; fail "wineboot failed"; }
    # No window manager runs here: unmanaged windows spare every window
    # with a caption a two-second wait when it is destroyed.
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >>"$dir/wineboot.log" 2>&1 || true
    timeout 120 /usr/lib/wine/wineserver64 -w || true
  fi
}

mingw64_build() {
  [ -x /usr/lib/wine/wine64 ] || fail "wine64 is missing (run scripts/setup.sh)"
  local dir=$1
  shift
  build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" "$@"
}

step_mingw64() {
  step_begin mingw64
  local dir=$build_root/mingw64
  # The Windows benchmarks are built (not run) so that they keep compiling.
  mingw64_build "$dir" -DTD_BUILD_BENCH=ON
  check_imports "$dir" x86_64-w64-mingw32-objdump
  check_exports "$dir/bin/gen_Tunedeck.dll" x86_64-w64-mingw32-objdump
  start_xvfb
  wine_prefix "$dir"
  run_ctest "$dir"
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  unset WINEPREFIX
  step_end "$warnings warnings"
}

# The release's installer, built for x86_64 from the mingw64 build's plug-in
# (Wine runs 64-bit programs here), installed into a stand-in host folder,
# run there and uninstalled again (tests/installer/check_installer.sh).
step_installer() {
  step_begin installer
  local dir=$build_root/mingw64 work=$build_root/installer
  command -v makensis >/dev/null || fail "makensis is missing (run scripts/setup.sh)"
  mingw64_build "$dir"
  rm -rf "$work"
  mkdir -p "$work/lang"
  log "language files and installer"
  local source name
  for source in "$root"/lang/*.txt; do
    name=$(basename "$source" .txt)
    python3 "$root/scripts/make_lang.py" "$source" "$work/lang/${name^}.lang.kqp"
  done
  "$root/scripts/make_installer.sh" amd64 "$dir/bin/gen_Tunedeck.dll" "$work/lang" "$work/Tunedeck-setup.exe" \
    >"$work/makensis.log" 2>&1 || { cat "$work/makensis.log"; fail "makensis failed"; }
  start_xvfb
  wine_prefix "$dir"
  log "install, run, uninstall"
  timeout 900 "$root/tests/installer/check_installer.sh" "$work/Tunedeck-setup.exe" "$dir/bin/gen_Tunedeck.dll" \
    "$dir/bin/tdhost.exe" "$work/lang" "$work/run" || fail "installer checks failed"
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  unset WINEPREFIX
  step_end
}

step_mingw32() {
  step_begin mingw32
  local dir=$build_root/mingw32
  build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTD_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
  [ "$warnings" -eq 0 ] || fail "$warnings warnings in a -Werror build"
  check_imports "$dir" i686-w64-mingw32-objdump
  check_exports "$dir/bin/gen_Tunedeck.dll" i686-w64-mingw32-objdump
  step_end "built, not run"
}

step_fuzz() {
  step_begin fuzz
  local dir=$build_root/fuzz
  command -v clang++ >/dev/null || fail "clang is missing (run scripts/setup.sh)"
  CC=clang CXX=clang++ build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTD_BUILD_FUZZ=ON \
    -DTD_BUILD_TESTS=OFF -DTD_BUILD_CLI=OFF
  local targets=("$dir"/fuzz/fuzz_*)
  [ -x "${targets[0]}" ] || fail "no fuzz targets were built"
  local target name seeds corpus runs=""
  for target in "${targets[@]}"; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$dir/corpus/$name
    mkdir -p "$corpus" "$dir/artifacts"
    for seeds in "$root/fuzz/corpus/${name#fuzz_}" "$root/fuzz/corpus/$name"; do
      [ -d "$seeds" ] && cp -r "$seeds/." "$corpus/"
    done
    log "$name for $fuzz_seconds s ($(find "$corpus" -type f | wc -l) inputs in the corpus)"
    if ! "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$name-" \
        "$corpus" >"$dir/$name.log" 2>&1; then
      tail -n 60 "$dir/$name.log"
      fail "$name found a fault; input saved under $dir/artifacts/"
    fi
    runs+="${runs:+, }$name $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$name.log" | grep -o '[0-9]*$') runs"
  done
  step_end "$runs"
}

for step in "${steps[@]}"; do
  "step_$step"
done
