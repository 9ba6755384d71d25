#!/usr/bin/env bash
# The benchmark suite, run by hand (the test command builds the benchmarks but
# does not time them): the Google Benchmark programs of the native preset,
# each entry beside its baseline, then the start-up benchmark.
#
#   Scripts/benchmarks.sh [REGEX]    # REGEX filters the Google Benchmark entries
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset native >/dev/null
cmake --build --preset native --target TavrinBenchmarks keyscout startup_map_watch >/dev/null
build/native/Benchmarks/TavrinBenchmarks --benchmark_filter="${1:-.}"
Benchmarks/Startup/startup-benchmark.sh
