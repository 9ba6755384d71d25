#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/System/CCpuClock.h"
#include "Engine/IKernel/System/CSystem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace Tavrin::Engine;

namespace {

// Baseline: the half-second measure every log header and crash report once paid.
void BM_CpuClockHalfSecondMeasure(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(CSystem::roundCpuSpeed(CCpuClock::measureRawMhzOverWholeMilliseconds(500)));
}
BENCHMARK(BM_CpuClockHalfSecondMeasure)->Unit(benchmark::kMillisecond)->Iterations(3);

// The measure a process takes once (from a fresh start: the process's own
// starts before main and has usually run its course by the first use).
void BM_CpuClockShortMeasure(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(CSystem::roundCpuSpeed(
            CCpuClock::measureRawMhzSince(CCpuClock::sample(), CCpuClock::C_MEASURE_MILLISECONDS)));
}
BENCHMARK(BM_CpuClockShortMeasure)->Unit(benchmark::kMillisecond)->Iterations(10);

// Crash reports go to a scratch file; the log is not installed here.
void useScratchCrashFile()
{
    static const std::string path = std::string(P_tmpdir) + "/tavrin_benchmark_crash.txt";
    CStackTrace::setCrashFileName(path.c_str());
}

// Baseline: a report as it was, the half-second measure included.
void BM_CrashReportWithHalfSecondClock(benchmark::State& state)
{
    useScratchCrashFile();
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(CCpuClock::measureRawMhzOverWholeMilliseconds(500));
        CStackTrace::dumpStackTrace();
    }
}
BENCHMARK(BM_CrashReportWithHalfSecondClock)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first report of a process that had not measured its clock yet.
void BM_CrashReportFirst(benchmark::State& state)
{
    useScratchCrashFile();
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(
            CCpuClock::measureRawMhzSince(CCpuClock::sample(), CCpuClock::C_MEASURE_MILLISECONDS));
        CStackTrace::dumpStackTrace();
    }
}
BENCHMARK(BM_CrashReportFirst)->Unit(benchmark::kMillisecond)->Iterations(10);

// Every later report: the process's figure is remembered.
void BM_CrashReportLater(benchmark::State& state)
{
    useScratchCrashFile();
    CCpuClock::getProcessRawMhz();
    for (auto _ : state)
        CStackTrace::dumpStackTrace();
}
BENCHMARK(BM_CrashReportLater)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
