#!/usr/bin/env bash
# Builds and runs every test: the whole suite under the default preset, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short libFuzzer run of every fuzz
# target, and the Windows stage (the control module cross-built and tested under Wine). Stops
# with a non-zero status at the first failure.
#
#   TANDREL_FUZZ_SECONDS  seconds per fuzz target (default 10)
set -euo pipefail

cd "$(dirname "$0")/.."
source scripts/prerequisites.sh
install_prerequisites

readonly jobs=2
readonly fuzz_seconds="${TANDREL_FUZZ_SECONDS:-10}"
summary=()

# Qt tests draw their windows without a display.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# Any report of a sanitizer fails the test that raised it, leaks included.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1"
# The CUE sheet parser leaks what it built when a sheet fails to parse: not ours to free.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_suite() {
  local preset="$1" log="build/ctest-$1.log"
  echo "== $preset: build"
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: ctest"
  mkdir -p build
  ctest --preset "$preset" --no-tests=error | tee "$log"
  summary+=("$preset: $(grep -E '[0-9]+% tests passed' "$log" | tail -n 1)")
}

run_fuzz() {
  echo "== fuzz: build"
  cmake --preset fuzz
  cmake --build --preset fuzz -j "$jobs"
  local binary name found=0
  for binary in build/fuzz/tests/fuzz/fuzz_*; do
    [ -f "$binary" ] && [ -x "$binary" ] || continue
    found=$((found + 1))
    name="$(basename "$binary")"
    local corpus="build/fuzz/corpus/$name" artifacts="build/fuzz/artifacts/$name/"
    local log="build/fuzz/$name.log" seeds="tests/fuzz/corpus/$name"
    mkdir -p "$corpus" "$artifacts"
    local args=(-max_total_time="$fuzz_seconds" -artifact_prefix="$artifacts" "$corpus")
    if [ -d "$seeds" ]; then
      args+=("$seeds")
    fi
    echo "== fuzz: $name for ${fuzz_seconds} s"
    if ! "$binary" "${args[@]}" >"$log" 2>&1; then
      tail -n 60 "$log"
      echo "$name failed; the input is in $artifacts (save it under tests/fuzz/crashes/$name/)"
      return 1
    fi
    summary+=("$name: $(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1)")
  done
  if [ "$found" -eq 0 ]; then
    echo "no fuzz targets were built"
    return 1
  fi
}

run_windows() {
  echo "== windows: cross-build, then test the control module under Wine"
  local log=build/windows-stage.log
  mkdir -p build
  scripts/windows-stage.sh 2>&1 | tee "$log"
  summary+=("windows: $(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)")
}

run_suite default
run_suite asan
run_fuzz
run_windows

echo "== summary"
printf '%s\n' "${summary[@]}"
