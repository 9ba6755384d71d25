#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace Tavrin::Engine;

namespace {

const char* const shortMessage = "Loaded 12 key names\n";

std::string benchmarkFolder()
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "tavrin_log_benchmark";
    std::filesystem::create_directories(folder);
    return folder.string();
}

// Baseline: what a bare C stream costs for the same message and flush.
void BM_FprintfFlush(benchmark::State& state)
{
    std::string path = benchmarkFolder() + "/baseline.txt";
    FILE* file = fopen(path.c_str(), "w");
    for (auto _ : state)
    {
        fprintf(file, "%s", shortMessage);
        fflush(file);
    }
    fclose(file);
    std::filesystem::remove_all(benchmarkFolder());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FprintfFlush);

// The kernel's configuration: time stamps with memory figures, file output.
void BM_LogShortMessage(benchmark::State& state)
{
    std::string folder = benchmarkFolder();
    std::string exe = folder + "/bench.exe";
    IKernel::setExecutablePath(exe.c_str(), folder.c_str());
    installLog();
    reopenLog("bench_log.txt");
    getLog()->setLowestLevel(1);
    for (auto _ : state)
        log("%s", shortMessage);
    uninstallLog();
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogShortMessage);

} // namespace
