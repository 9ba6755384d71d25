// A two-part fork-join on the task manager's warm pool against starting and
// joining two threads for every call.
#include "Engine/IKernel/System/CTaskManager.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

using namespace Tavrin::Engine;

namespace {

// A small amount of real work per part, so that nothing is optimised away.
class CSumTask : public CTask
{
public:
    void execute(uint32_t partIndex, uintptr_t argument, uint32_t) override
    {
        uint64_t sum = 0;
        for (uint32_t i = 0; i < 64; ++i)
            sum += (partIndex + 1) * i + argument;
        m_total.fetch_add(sum, std::memory_order_relaxed);
    }

    std::atomic<uint64_t> m_total{0};
};

void BM_RunTasksWarmPool(benchmark::State& state)
{
    CTaskManager manager;
    CSumTask task;
    // The first call creates the workers; the timed ones only reuse them.
    manager.runTasks(&task, 1, 2);
    for (auto _ : state)
        manager.runTasks(&task, 1, 2);
    benchmark::DoNotOptimize(task.m_total.load());
}
BENCHMARK(BM_RunTasksWarmPool)->UseRealTime();

void BM_StartAndJoinTwoThreads(benchmark::State& state)
{
    CSumTask task;
    for (auto _ : state)
    {
        std::thread first([&task] { task.execute(0, 1, 2); });
        std::thread second([&task] { task.execute(1, 1, 2); });
        first.join();
        second.join();
    }
    benchmark::DoNotOptimize(task.m_total.load());
}
BENCHMARK(BM_StartAndJoinTwoThreads)->UseRealTime();

} // namespace
