#include "Engine/IKernel/Resources/CProgress.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CTimer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace Tavrin::Engine;

namespace {

std::string captured;

void capture(const char* text)
{
    captured += text;
}

// A progress object whose age the test chooses, so that throttling does not
// depend on how fast the test runs.
class CAgedProgress : public CProgress
{
public:
    explicit CAgedProgress(double ageSeconds)
    {
        double ticks = ageSeconds * static_cast<double>(CTimer::getCounterFrequency());
        _setCreationTime(CTimer::readCounter() - static_cast<uint64_t>(static_cast<int64_t>(ticks)));
    }
};

// Captures everything the log writes, level 0 included, without a file.
class CProgressTest : public testing::Test
{
protected:
    void SetUp() override
    {
        captured.clear();
        m_ownsLog = getLog() == nullptr;
        if (m_ownsLog)
        {
            installLog();
            getLog()->setWriteToFile(false);
        }
        m_savedLevel = getLog()->getLowestLevel();
        m_savedStampMode = getLog()->getTimeStampMode();
        getLog()->setLowestLevel(0);
        getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
        getLog()->addListener(capture);
    }

    void TearDown() override
    {
        getLog()->removeListener(capture);
        getLog()->setLowestLevel(m_savedLevel);
        getLog()->setTimeStampMode(m_savedStampMode);
        if (m_ownsLog)
            uninstallLog();
    }

    bool m_ownsLog = false;
    uint32_t m_savedLevel = 0;
    uint32_t m_savedStampMode = 0;
};

} // namespace

TEST_F(CProgressTest, EqualStepsReportEachQuarter)
{
    CAgedProgress progress(1.0);
    progress.begin(4, "Loading", nullptr);
    for (int i = 0; i < 3; ++i)
        progress.step();
    EXPECT_EQ(progress.getPercentage(), 75);
    EXPECT_EQ(captured, "Progress: Loading (0 %)\nProgress: Loading (25 %)\nProgress: Loading (50 %)\n"
                        "Progress: Loading (75 %)\n");
}

TEST_F(CProgressTest, NestedOperationFillsItsParentsStep)
{
    CAgedProgress progress(1.0);
    progress.begin(4, "Outer", nullptr);
    progress.step();
    progress.begin(2, "Inner", nullptr);
    EXPECT_EQ(progress.getDepth(), 2u);
    EXPECT_EQ(progress.getPercentage(), 25);
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 37);
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 50);
    progress.end();
    EXPECT_EQ(progress.getPercentage(), 25);
    // The name stays that of the operation begun last.
    EXPECT_STREQ(progress.getName().c_str(), "Inner");
    EXPECT_NE(captured.find("Progress: Inner (37 %)\n"), std::string::npos);

    // Three levels: step 2 of 4, step 1 of 2, its step 0 of 5.
    progress.step();
    progress.begin(2, "Middle", nullptr);
    progress.step();
    progress.begin(5, "Deep", nullptr);
    progress.step();
    // 0.5 + 0.25 * (0.5 + 0.5 * 0.2) = 0.65
    EXPECT_EQ(progress.getPercentage(), 65);
}

TEST_F(CProgressTest, GivenWeightsReplaceFirstEntryAndEndAtOne)
{
    CAgedProgress progress(1.0);
    const float weights[2] = {0.3f, 0.6f};
    progress.begin(2, "Weighted", weights);
    EXPECT_EQ(progress.getPercentage(), 0);
    // A child begun in step 0 spans the weighted slice 0..60.
    progress.begin(2, "Child", nullptr);
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 30);
    progress.end();
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 60);
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 100);
}

TEST_F(CProgressTest, StepsBeyondTheLastStayAtTheEnd)
{
    CAgedProgress progress(1.0);
    progress.begin(2, "Short", nullptr);
    for (int i = 0; i < 5; ++i)
        progress.step();
    EXPECT_EQ(progress.getPercentage(), 100);
    // A child of a finished operation gets an empty slice at its end.
    progress.begin(3, "Late", nullptr);
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 100);
    progress.end();
    progress.end();
    // Nothing open: steps and current reports do nothing.
    captured.clear();
    progress.step();
    progress.reportCurrent();
    EXPECT_EQ(captured, "");
    EXPECT_EQ(progress.getPercentage(), 0);
}

TEST_F(CProgressTest, ZeroStepsIsCompleteAtOnce)
{
    CAgedProgress progress(1.0);
    progress.begin(0, "Nothing", nullptr);
    EXPECT_EQ(progress.getPercentage(), 100);
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 100);
    progress.end();
}

TEST_F(CProgressTest, EndWithoutBeginThrowsAndChangesNothing)
{
    CAgedProgress progress(1.0);
    progress.begin(4, "Once", nullptr);
    progress.step();
    progress.end();
    try
    {
        progress.end();
        FAIL() << "end without an open operation must throw";
    }
    catch (const CInvalidOperationException& error)
    {
        EXPECT_STREQ(error.getDetails().c_str(), "Create/destroy mismatching\n");
        EXPECT_STREQ(error.getFile().c_str(), "Engine/IKernel/Resources/CProgress");
        EXPECT_EQ(error.getLine(), 95);
    }
    EXPECT_EQ(progress.getDepth(), 0u);
    progress.begin(2, "Again", nullptr);
    progress.step();
    EXPECT_EQ(progress.getPercentage(), 50);
}

TEST_F(CProgressTest, ReportsAreThrottledUntilTheDelayHasPassed)
{
    // Created "now" for the next ten seconds: far inside the delay.
    CAgedProgress young(-10.0);
    young.begin(4, "Young", nullptr);
    young.step();
    young.step();
    EXPECT_EQ(captured, "");
    // Direct reports are never throttled.
    young.reportCurrent();
    young.report(0.999f);
    EXPECT_EQ(captured, "Progress: Young (50 %)\nProgress: Young (99 %)\n");

    captured.clear();
    CAgedProgress old(0.2);
    old.begin(2, "Old", nullptr);
    old.step();
    EXPECT_EQ(captured, "Progress: Old (0 %)\nProgress: Old (50 %)\n");
}

TEST_F(CProgressTest, ReportsAreWrittenAtLevelZero)
{
    getLog()->setLowestLevel(1);
    CAgedProgress progress(1.0);
    progress.begin(2, "Quiet", nullptr);
    progress.report(0.5f);
    EXPECT_EQ(captured, "");
    getLog()->setLowestLevel(0);
    progress.report(0.5f);
    EXPECT_EQ(captured, "Progress: Quiet (50 %)\n");
}

TEST_F(CProgressTest, ReportTruncatesAndSurvivesOddFractions)
{
    CAgedProgress progress(1.0);
    progress.begin(1, nullptr, nullptr);
    captured.clear();
    progress.report(0.376f);
    progress.report(-0.015f);
    progress.report(NAN);
    progress.report(1e30f);
    EXPECT_EQ(captured, "Progress:  (37 %)\nProgress:  (-1 %)\nProgress:  (0 %)\nProgress:  (2147483647 %)\n");
}

TEST_F(CProgressTest, FirstObjectBecomesTheCurrentOne)
{
    CProgress* before = CProgress::getCurrent();
    {
        CProgress first;
        CProgress* expected = before ? before : &first;
        EXPECT_EQ(CProgress::getCurrent(), expected);
        {
            CProgress second;
            EXPECT_EQ(CProgress::getCurrent(), expected);
        }
        EXPECT_EQ(CProgress::getCurrent(), expected);
    }
    EXPECT_EQ(CProgress::getCurrent(), before);
}

TEST_F(CProgressTest, DestroyingWithOpenOperationsFreesThem)
{
    // Run under the sanitizers: the open states' weights must not leak.
    CProgress* progress = new CAgedProgress(1.0);
    progress->begin(3, "Open", nullptr);
    progress->begin(2, "Open too", nullptr);
    delete progress;
    EXPECT_NE(captured.find("Open too"), std::string::npos);
}
