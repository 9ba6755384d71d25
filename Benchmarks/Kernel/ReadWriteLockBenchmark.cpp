#include "Engine/IKernel/System/CReadWriteLock.h"

#include <benchmark/benchmark.h>

#include <shared_mutex>

using namespace Tavrin::Engine;

namespace {

// Baseline.
void BM_SharedMutexLockShared(benchmark::State& state)
{
    std::shared_mutex lock;
    for (auto _ : state)
    {
        lock.lock_shared();
        benchmark::ClobberMemory();
        lock.unlock_shared();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_SharedMutexLockShared);

void BM_SlimReadWriteLockShared(benchmark::State& state)
{
    CReadWriteLock lock;
    if (lock.isFallback())
        state.SkipWithError("no slim lock on this system");
    for (auto _ : state)
    {
        lock.lockShared();
        benchmark::ClobberMemory();
        lock.unlockShared();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_SlimReadWriteLockShared);

// For comparison only: the lock that systems without a slim one get.
void BM_FallbackReadWriteLockShared(benchmark::State& state)
{
    CReadWriteLock lock(true);
    for (auto _ : state)
    {
        lock.lockShared();
        benchmark::ClobberMemory();
        lock.unlockShared();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_FallbackReadWriteLockShared);

} // namespace
