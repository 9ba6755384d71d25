#include "Engine/IKernel/System/CThread.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/CMainThread.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/System/SyncTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

using namespace Tavrin::Engine;
using SyncTest::CIdleThread;
using SyncTest::CLogCapture;
using SyncTest::CTestCounter;

namespace {


std::string format(const char* pattern, int first, int second)
{
    char text[128];
    snprintf(text, sizeof(text), pattern, first, second);
    return text;
}

} // namespace

TEST(CThread, NativePriorityTable)
{
    const int32_t expected[11] = {-15, -2, -1, -1, 0, 0, 0, 1, 1, 2, 15};
    for (uint32_t priority = 0; priority <= 10; ++priority)
        EXPECT_EQ(CThread::getNativePriority(priority), expected[priority]) << "priority " << priority;
}

TEST(CThread, PriorityAboveTenThrowsAndChangesNothing)
{
    CLogCapture capture;
    CIdleThread thread;
    thread.start();
    for (uint32_t priority : {11u, 0xFFFFFFFFu})
    {
        try
        {
            thread.setPriority(priority);
            ADD_FAILURE() << "no exception for " << priority;
        }
        catch (const CInvalidArgumentException& error)
        {
            EXPECT_STREQ(error.getDetails().c_str(), "Thread priority must be in 0-10 range\n");
            EXPECT_STREQ(error.getFile().c_str(), "Engine/IKernel/System/CThread");
            EXPECT_EQ(error.getLine(), 192);
        }
    }
    EXPECT_FALSE(thread.isStopRequested());
    EXPECT_EQ(thread.stop(), 1u);
}

TEST(CThread, ProcessorChoiceWrapsAroundTheProcessorCount)
{
    struct SCase
    {
        uint32_t processor, count, expected;
    };
    const SCase cases[] = {{5, 4, 1}, {3, 4, 3}, {4, 4, 0}, {0xFFFFFFFF, 4, 3}, {7, 1, 0}, {0, 1, 0}, {9, 0, 0}, {2, 2, 0}};
    for (const SCase& entry : cases)
        EXPECT_EQ(CThread::selectProcessor(entry.processor, entry.count), entry.expected)
            << entry.processor << " on " << entry.count;
}

TEST(CThread, AffinityLogsTheThreadAndProcessor)
{
    CLogCapture capture;
    CIdleThread thread;
    thread.start();
    uint32_t count = CThread::getProcessorCount();
    ASSERT_GE(count, 1u);
    for (uint32_t processor : {0u, 1u, 5u, count})
    {
        capture.clear();
        thread.setAffinity(processor);
        uint32_t cpu = count > 1 ? processor % count : 0;
        EXPECT_NE(capture.get().find(format("Thread %d set to cpu %d\n", static_cast<int>(thread.getThreadId()),
                                            static_cast<int>(cpu))),
                  std::string::npos)
            << capture.get();
    }
    thread.stop();
}

TEST(CThread, AffinityFailureIsOnlyLogged)
{
    CLogCapture capture;
    CIdleThread never;
    never.setAffinity(0);
    std::string text = capture.get();
    EXPECT_NE(text.find("Can't set thread affinity mask\n"), std::string::npos) << text;
    EXPECT_NE(text.find("### Win32 error code: "), std::string::npos) << text;
    EXPECT_EQ(text.find("set to cpu"), std::string::npos) << text;
}

TEST(CThread, NewThreadState)
{
    CIdleThread thread;
    EXPECT_EQ(thread.getHandle(), nullptr);
    EXPECT_TRUE(thread.isStopRequested());
    EXPECT_FALSE(thread.isFinished());
    EXPECT_EQ(thread.getThreadId(), 0u);
    // Nothing runs, so there is nothing to wait for.
    EXPECT_EQ(thread.stop(), 0u);
}

TEST(CMainThread, HoldsTheCallingThread)
{
    CMainThread main;
    ASSERT_NE(main.getHandle(), nullptr);
    EXPECT_EQ(main.getThreadId(), CSystemServices::getCurrentThreadId());
    EXPECT_EQ(main.run(), 0u);

    CMainThread::setMainThread(&main);
    EXPECT_EQ(CMainThread::getMainThread(), &main);
    {
        CMainThread other;
        EXPECT_NE(other.getHandle(), main.getHandle());
    }
    // Only the destruction of the registered object clears the pointer.
    EXPECT_EQ(CMainThread::getMainThread(), &main);
}

TEST(CMainThread, DestructionClearsTheProcessPointer)
{
    {
        CMainThread main;
        CMainThread::setMainThread(&main);
    }
    EXPECT_EQ(CMainThread::getMainThread(), nullptr);
}

TEST(CMainThread, RecordIsValidOnAnotherThread)
{
    // A pseudo handle would name whichever thread asks.
    CMainThread main;
    uint32_t mainId = CSystemServices::getCurrentThreadId();
    uint32_t seen = 0;
    std::thread other([&] { seen = main.getThreadId(); });
    other.join();
    EXPECT_EQ(seen, mainId);
}
