#include "Engine/IKernel/System/CCpuClock.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace Tavrin::Engine;

namespace {

uint32_t median(std::vector<uint32_t> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

// The short measure and the process's figure give the speed the half-second
// measure gives, once snapped to the usual clock endings. Medians of a few
// rounds: a preemption between the half-second measure's two unpaired
// readings skews that one round.
TEST(CCpuClock, ShortMeasureRoundsLikeTheHalfSecondMeasure)
{
    std::vector<uint32_t> reference, brief;
    testing::Message rounds;
    for (int round = 0; round < 3; ++round)
    {
        reference.push_back(CCpuClock::measureRawMhzOverWholeMilliseconds(500));
        brief.push_back(CCpuClock::measureRawMhzSince(CCpuClock::sample(), CCpuClock::C_MEASURE_MILLISECONDS));
        rounds << " 500 ms " << reference.back() << " / short " << brief.back() << ";";
    }
    SCOPED_TRACE(testing::Message() << "raw MHz:" << rounds << " process " << CCpuClock::getProcessRawMhz());
    uint32_t expected = CSystem::roundCpuSpeed(median(reference));
    EXPECT_GT(expected, 100u);
    EXPECT_EQ(CSystem::roundCpuSpeed(median(brief)), expected);
    EXPECT_EQ(CSystem::roundCpuSpeed(CCpuClock::getProcessRawMhz()), expected);
}

TEST(CCpuClock, RawMhzIsCyclesPerMicrosecondTruncated)
{
    struct Case
    {
        uint64_t cycles;
        uint64_t milliseconds;
        uint32_t mhz;
    };
    const Case cases[] = {
        {2300000000ull, 1000, 2300}, {46000999, 20, 2300}, {45990000, 20, 2299}, {1866666666, 1000, 1866},
        // 2299.9995 MHz: a whole-MHz clock read a little short keeps its figure.
        {45999990, 20, 2300}, {5, 0, 0}};
    for (const Case& entry : cases)
    {
        SCpuClockSample start = {1000, 5000};
        SCpuClockSample end = {start.cycles + entry.cycles,
                               start.counter + CTimer::getCounterFrequency() * entry.milliseconds / 1000};
        EXPECT_EQ(CCpuClock::rawMhzBetween(start, end), entry.mhz) << entry.cycles << " cycles";
    }
}
