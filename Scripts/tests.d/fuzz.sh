#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a short, bounded time.
# Fails on a crash, a sanitizer report, a timeout or an out-of-memory.
#   TAVRIN_FUZZ_SECONDS   time per target (default 20)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build/fuzz"
seconds="${TAVRIN_FUZZ_SECONDS:-20}"
targets=(GzipStreamFuzz StreamStringFuzz FileNameFuzz KeyboardLayoutFuzz)
mkdir -p "$build"

cmake -S "$root/Tests/Fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j 2 >"$build/build.log" 2>&1 || { tail -n 60 "$build/build.log"; exit 1; }

# Seeds: a few valid inputs for each target, made fresh (the corpus folders
# keep whatever libFuzzer found on earlier runs).
seed() {
  local target=$1 name=$2
  mkdir -p "$build/corpus/$target"
  cat >"$build/corpus/$target/$name"
}
printf 'the quick brown fox jumps over the lazy dog\n%.0s' {1..20} | gzip -9 | { printf '\x00'; cat; } | seed GzipStreamFuzz text
head -c 3000 /dev/zero | gzip -1 | { printf '\x01'; cat; } | seed GzipStreamFuzz zeros
printf '\x03\x00\x00\x00abc\x00\x00\x00\x00\xff\xff\xff\x7fhi' | seed StreamStringFuzz strings
printf 'Data=$Temp/data\n$Data/a/./b/../c.tar.gz' | seed FileNameFuzz alias
printf '$current/x/../y.txt' | seed FileNameFuzz current
printf '\5\4%.0s' {1..48} | seed KeyboardLayoutFuzz german
printf '\1\0\1\1\2\2\3\3\4\4\0\0\6\6' | seed KeyboardLayoutFuzz mixed

failed=()
cd "$build"
for target in "${targets[@]}"; do
  echo "-- $target for ${seconds}s"
  # A failing input is kept as <target>-crash-<hash> (or -leak-, -timeout-,
  # -oom-): a finding stays a finding even if a later run misses it.
  if ! "./$target" "corpus/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -malloc_limit_mb=512 -print_final_stats=1 -artifact_prefix="$target-" >"$target.log" 2>&1; then
    tail -n 40 "$target.log"
    for input in "$target"-*; do
      if [ -e "$input" ]; then echo "   input kept: $build/$input"; fi
    done
    failed+=("$target")
  else
    grep -E "stat::number_of_executed_units|Done" "$target.log" | tail -n 2 || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzz targets failed: ${failed[*]} (reproducers are in $build)"
  exit 1
fi
echo "Fuzz targets passed: ${targets[*]}"
