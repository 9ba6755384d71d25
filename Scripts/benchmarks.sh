#!/usr/bin/env bash
# The benchmark suite, run by hand (the test command builds the benchmarks but
# does not time them): the Google Benchmark programs of the native preset,
# each entry beside its baseline, then the start-up benchmark.
#
#   Scripts/benchmarks.sh [GOOGLE BENCHMARK FLAGS...]
#
# On a busy machine, entries compared with their baseline read steadier with
#   --benchmark_enable_random_interleaving=true --benchmark_repetitions=9
#   --benchmark_report_aggregates_only=true (and a --benchmark_filter).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset native >/dev/null
cmake --build --preset native --target TavrinBenchmarks keyscout startup_map_watch startup_floor_sdl startup_floor_gtk >/dev/null
build/native/Benchmarks/TavrinBenchmarks "$@"
Benchmarks/Startup/startup-benchmark.sh
