#include "Engine/IKernel/System/CCpuClock.h"
#include "Engine/IKernel/System/CCpuClockCache.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CTimer.h"

#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace TavrinTests;

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

// A stored figure comes back only for its boot and counter frequency, and
// only from a whole file of ours; a store replaces whatever stood there.
TEST(CCpuClockCache, FigureHoldsForItsBootAndFrequencyOnly)
{
    CTempFolder folder;
    const std::string path = folder.file("processor-clock.txt");
    ASSERT_TRUE(CCpuClockCache(path.c_str(), "boot-1", 10000000).store(2300));
    const std::string good = readFile(path);
    const size_t figure = good.rfind("2300");
    ASSERT_NE(figure, std::string::npos) << good;
    struct Case
    {
        std::string text;
        const char* boot;
        uint64_t frequency;
        uint32_t mhz;
    };
    const Case cases[] = {{good, "boot-1", 10000000, 2300},
                          {good, "boot-2", 10000000, 0},
                          {good, "boot-1", 3000000000ull, 0},
                          {good, "", 10000000, 0},
                          {good.substr(0, good.size() - 1), "boot-1", 10000000, 0},
                          {good.substr(0, figure + 2), "boot-1", 10000000, 0},
                          {good.substr(0, figure) + "0\n", "boot-1", 10000000, 0},
                          {good.substr(0, figure) + "4294967297\n", "boot-1", 10000000, 0},
                          {good + "mhz 1\n", "boot-1", 10000000, 0},
                          {"garbage\n", "boot-1", 10000000, 0}};
    for (const Case& entry : cases)
    {
        writeFile(path, entry.text);
        CCpuClockCache cache(path.c_str(), entry.boot, entry.frequency);
        EXPECT_EQ(cache.read(), entry.mhz) << entry.boot << " " << entry.frequency << ": " << entry.text;
    }
    CCpuClockCache cache(path.c_str(), "boot-1", 10000000);
    EXPECT_TRUE(cache.store(2400));
    EXPECT_EQ(cache.read(), 2400u);
    // The temporary file went into the place of the old one.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    CCpuClockCache unwritable(folder.file("missing/processor-clock.txt").c_str(), "boot-1", 10000000);
    EXPECT_FALSE(unwritable.store(2300));
    EXPECT_EQ(unwritable.read(), 0u);
}
