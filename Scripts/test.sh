#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# native, AddressSanitizer + UndefinedBehaviorSanitizer, ThreadSanitizer
# (concurrency tests), and the Windows build under Wine; then the extra
# suites of Scripts/tests.d. Names given on the command line run only those
# presets and suites, for example `Scripts/test.sh native` or `Scripts/test.sh e2e`.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root="$PWD"
all_presets=(native asan tsan windows)
# The test command's own check points this at fake suites; their logs then
# stay beside them.
suites_dir="${TAVRIN_SUITES_DIR:-$root/Scripts/tests.d}"
suite_logs="$root/build"
[ -z "${TAVRIN_SUITES_DIR:-}" ] || suite_logs="$suites_dir"

usage() {
  local names=("$suites_dir"/*.sh)
  names=("${names[@]##*/}")
  echo "usage: Scripts/test.sh [PRESET | SUITE]..."
  echo "  presets: ${all_presets[*]}"
  echo "  suites:  ${names[*]%.sh}"
}

presets=()
suites=()
if [ $# -eq 0 ]; then
  presets=("${all_presets[@]}")
  for extra in "$suites_dir"/*.sh; do
    [ -e "$extra" ] && suites+=("$(basename "$extra" .sh)")
  done
fi
for name in "$@"; do
  if [[ " ${all_presets[*]} " == *" $name "* ]]; then
    presets+=("$name")
  elif [ -f "$suites_dir/$name.sh" ]; then
    suites+=("$name")
  else
    echo "Unknown preset or suite: $name"
    usage
    exit 2
  fi
done

"$root/Scripts/install-dependencies.sh" || { echo "Installing the dependencies failed"; exit 1; }
source "$root/Scripts/wine-env.sh"

jobs=$(nproc 2>/dev/null || echo 2)
failed_steps=()
notes=()
logs=()
suite_passed=0
suite_failed=0

build_preset() {
  local preset=$1
  echo "== Building $preset"
  cmake --preset "$preset" >"$root/build/configure-$preset.log" 2>&1 &&
    cmake --build --preset "$preset" -j "$jobs" >"$root/build/build-$preset.log" 2>&1 || {
      tail -n 60 "$root/build/configure-$preset.log" "$root/build/build-$preset.log" 2>/dev/null
      failed_steps+=("build $preset")
      return 1
    }
}

test_preset() {
  local preset=$1
  echo "== Testing $preset"
  local log="$root/build/ctest-$preset.log"
  # Verbose into the log (it keeps GoogleTest's counts); the runner's own
  # per-program and closing lines on the console.
  if ctest --preset "$preset" -V >"$log" 2>&1; then
    grep -aE '^ *[0-9]+/[0-9]+ Test +#|tests passed|No tests were found|Total Test time' "$log"
  else
    grep -aE '^[0-9]+: \[  FAILED  \]|^[0-9]+: .*Failure|^[0-9]+: .*ERROR' "$log" | head -n 80
    tail -n 40 "$log"
    failed_steps+=("tests $preset")
  fi
  logs+=("$log")
}

# A GUI driven through Wine and Xvfb depends on timing that a loaded machine
# can upset, so the end-to-end run alone may run once more after a failure.
# Any other failure stands: a fuzz target that crashed has found something,
# whatever a second run finds.
may_run_again() { [ "$1" = e2e ]; }

# Runs one suite into build/suite-NAME.log as well as the console. A suite
# that prints "NAME: N passed, N failed" adds those counts to the totals.
run_suite() {
  local name=$1 log="$suite_logs/suite-$1.log"
  echo "== Running $name"
  if ! bash "$suites_dir/$name.sh" 2>&1 | tee "$log"; then
    if ! may_run_again "$name"; then
      failed_steps+=("$name")
    else
      local first="$suite_logs/suite-$name-first.log" outcome=passed
      mv "$log" "$first"
      echo "== $name failed; running it once more"
      bash "$suites_dir/$name.sh" 2>&1 | tee "$log" || { outcome=failed; failed_steps+=("$name"); }
      notes+=("$name failed its first run and $outcome its second (the first: ${first#"$root"/})")
    fi
  fi
  local counts
  counts=$(grep -aoE "^$name: [0-9]+ passed, [0-9]+ failed" "$log" | tail -n 1)
  if [ -n "$counts" ]; then
    read -r _ p _ f _ <<<"$counts"
    suite_passed=$((suite_passed + p))
    suite_failed=$((suite_failed + f))
  fi
}

mkdir -p build
for preset in "${presets[@]}"; do
  if [ "$preset" = windows ]; then
    tavrin_wine_prefix
  fi
  build_preset "$preset" && test_preset "$preset"
done

for suite in "${suites[@]}"; do
  run_suite "$suite"
done

# GoogleTest's own counts, summed over every program and preset, and the
# suites' checks.
passed=$suite_passed
failed=$suite_failed
for log in "${logs[@]}"; do
  [ -f "$log" ] || continue
  p=$(grep -aoE '\[  PASSED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
  f=$(grep -aoE '\[  FAILED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
  passed=$((passed + p))
  failed=$((failed + f))
done

for note in "${notes[@]}"; do
  echo "Note: $note"
done
if [ ${#failed_steps[@]} -gt 0 ]; then
  echo "Failed: ${failed_steps[*]}"
  [ "$failed" -gt 0 ] || failed=${#failed_steps[@]}
fi
echo "Totals: $passed passed, $failed failed"
[ ${#failed_steps[@]} -eq 0 ]
