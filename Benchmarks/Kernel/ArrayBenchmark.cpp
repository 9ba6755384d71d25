#include "Engine/IKernel/Types/CArray.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace Tavrin::Engine;

namespace {

const int elementCount = 1000000;

// Baseline.
void BM_VectorPushBack(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::vector<int> values;
        for (int i = 0; i < elementCount; ++i)
            values.push_back(i);
        benchmark::DoNotOptimize(values.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * elementCount);
}
BENCHMARK(BM_VectorPushBack);

void BM_CArrayAdd(benchmark::State& state)
{
    for (auto _ : state)
    {
        CArray<int> values;
        for (int i = 0; i < elementCount; ++i)
            values.add(i);
        benchmark::DoNotOptimize(values.getData());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * elementCount);
}
BENCHMARK(BM_CArrayAdd);

} // namespace
