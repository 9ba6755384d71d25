// Four-lane value noise against the scalar form called once per point.
#include "Engine/IKernel/Maths/CSIMD.h"
#include "Engine/IKernel/Resources/Procedural/CValueNoise.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace Tavrin::Engine;

namespace {

const int C_POINTS = 4096;

// Points laid out four lanes at a time: x0..x3, y0..y3, z0..z3.
std::vector<SVector4> makePoints()
{
    std::mt19937 random(42);
    std::uniform_real_distribution<float> range(-100.0f, 100.0f);
    std::vector<SVector4> points(C_POINTS / 4 * 3);
    for (SVector4& vector : points)
        for (float& lane : vector.lane)
            lane = range(random);
    return points;
}

void BM_ValueNoiseScalar(benchmark::State& state)
{
    std::vector<SVector4> points = makePoints();
    for (auto _ : state)
    {
        float sum = 0.0f;
        for (size_t i = 0; i < points.size(); i += 3)
            for (int lane = 0; lane < 4; ++lane)
                sum += CValueNoise::noise(points[i].lane[lane], points[i + 1].lane[lane], points[i + 2].lane[lane]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * C_POINTS);
}
BENCHMARK(BM_ValueNoiseScalar);

void BM_ValueNoiseFourLanes(benchmark::State& state)
{
    std::vector<SVector4> points = makePoints();
    for (auto _ : state)
    {
        __m128 sum = _mm_setzero_ps();
        for (size_t i = 0; i < points.size(); i += 3)
            sum = _mm_add_ps(sum, CValueNoise::noise4(CSIMD::load(points[i]), CSIMD::load(points[i + 1]),
                                                      CSIMD::load(points[i + 2])));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * C_POINTS);
}
BENCHMARK(BM_ValueNoiseFourLanes);

} // namespace
