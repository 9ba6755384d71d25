#include "Engine/IKernel/System/CCpuClock.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CTimer.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;

// The short measure and the process's figure give the speed the half-second
// measure gives, once both are snapped to the usual clock endings.
TEST(CCpuClock, ShortMeasureRoundsLikeTheHalfSecondMeasure)
{
    uint32_t process = CCpuClock::getProcessRawMhz();
    for (int round = 0; round < 3; ++round)
    {
        uint32_t reference = CCpuClock::measureRawMhzOverWholeMilliseconds(500);
        uint32_t brief = CCpuClock::measureRawMhzSince(CCpuClock::sample(), CCpuClock::C_MEASURE_MILLISECONDS);
        SCOPED_TRACE(testing::Message() << "raw MHz: 500 ms " << reference << ", 20 ms " << brief << ", process "
                                        << process);
        EXPECT_GT(reference, 100u);
        EXPECT_EQ(CSystem::roundCpuSpeed(brief), CSystem::roundCpuSpeed(reference));
        EXPECT_EQ(CSystem::roundCpuSpeed(process), CSystem::roundCpuSpeed(reference));
    }
    EXPECT_EQ(CCpuClock::getProcessRawMhz(), process);
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
        {2300000000ull, 1000, 2300}, {46000999, 20, 2300}, {45999999, 20, 2299}, {1866666666, 1000, 1866}, {5, 0, 0}};
    for (const Case& entry : cases)
    {
        SCpuClockSample start = {1000, 5000};
        SCpuClockSample end = {start.cycles + entry.cycles,
                               start.counter + CTimer::getCounterFrequency() * entry.milliseconds / 1000};
        EXPECT_EQ(CCpuClock::rawMhzBetween(start, end), entry.mhz) << entry.cycles << " cycles";
    }
}
