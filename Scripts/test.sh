#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# native, AddressSanitizer + UndefinedBehaviorSanitizer, ThreadSanitizer
# (concurrency tests), and the Windows build under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

"$root/Scripts/install-dependencies.sh" || { echo "Installing the dependencies failed"; exit 1; }
source "$root/Scripts/wine-env.sh"

jobs=$(nproc 2>/dev/null || echo 2)
failed_steps=()
logs=()

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

mkdir -p build
for preset in native asan tsan windows; do
  if [ "$preset" = windows ]; then
    tavrin_wine_prefix
  fi
  build_preset "$preset" && test_preset "$preset"
done

# Extra suites (fuzzing, end-to-end) register themselves here.
# A GUI driven through Wine and Xvfb depends on timing that a loaded machine
# can upset, so a failed suite gets one more run; both runs are shown.
for extra in "$root"/Scripts/tests.d/*.sh; do
  [ -e "$extra" ] || continue
  name="$(basename "$extra")"
  echo "== Running $name"
  if ! bash "$extra"; then
    echo "== $name failed; running it once more"
    bash "$extra" || failed_steps+=("$name")
  fi
done

# GoogleTest's own counts, summed over every program and preset.
passed=0
failed=0
for log in "${logs[@]}"; do
  [ -f "$log" ] || continue
  p=$(grep -aoE '\[  PASSED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
  f=$(grep -aoE '\[  FAILED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
  passed=$((passed + p))
  failed=$((failed + f))
done

if [ ${#failed_steps[@]} -gt 0 ]; then
  echo "Failed: ${failed_steps[*]}"
  [ "$failed" -gt 0 ] || failed=${#failed_steps[@]}
fi
echo "Totals: $passed passed, $failed failed"
[ ${#failed_steps[@]} -eq 0 ]
