#include "Engine/IKernel/System/CThread.h"

#include "Engine/IKernel/System/CEvent.h"
#include "Engine/IKernel/System/CSemaphore.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/System/SyncTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;
using SyncTest::CTestCounter;

namespace {

// Counts its runs and waits for the stop request.
class CPollingThread : public CThread
{
public:
    CTestCounter runs;
    std::atomic<uint32_t> seenThreadId{0};

    uint32_t run() override
    {
        seenThreadId = CSystemServices::getCurrentThreadId();
        runs.increment();
        while (!isStopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
};

// Returns at once.
class CQuickThread : public CThread
{
public:
    std::atomic<int> runs{0};
    uint32_t run() override
    {
        ++runs;
        return 7;
    }
};

} // namespace

TEST(CThreadConcurrency, StartStopRestart)
{
    CPollingThread thread;
    for (int round = 1; round <= 3; ++round)
    {
        void* handle = thread.start();
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(handle, thread.getHandle());
        // Both flags are clear until stop is asked for.
        EXPECT_FALSE(thread.isStopRequested());
        EXPECT_FALSE(thread.isFinished());
        SYNC_REQUIRE(thread.runs.waitForAtLeast(round));
        EXPECT_EQ(thread.seenThreadId.load(), thread.getThreadId());
        EXPECT_NE(thread.getThreadId(), CSystemServices::getCurrentThreadId());
        EXPECT_FALSE(thread.isFinished());
        EXPECT_EQ(thread.stop(), 1u);
        EXPECT_TRUE(thread.isFinished());
        EXPECT_TRUE(thread.isStopRequested());
    }
    EXPECT_EQ(thread.runs.get(), 3);
}

TEST(CThreadConcurrency, StopAfterRunReturnedDoesNotWait)
{
    CQuickThread thread;
    thread.start();
    SYNC_REQUIRE(SyncTest::waitUntil([&] { return thread.isFinished(); }));
    // A stop that waited would take one 10 ms sleep at least; the quickest
    // of a few tries keeps a busy machine from faking one.
    auto quickest = std::chrono::steady_clock::duration::max();
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(thread.stop(), 1u);
        quickest = std::min(quickest, std::chrono::steady_clock::now() - begin);
    }
    EXPECT_LT(quickest, std::chrono::milliseconds(10));
    EXPECT_EQ(thread.runs.load(), 1);
}

TEST(CThreadConcurrency, ManyThreadsRunIndependently)
{
    std::vector<CPollingThread> threads(4);
    for (CPollingThread& thread : threads)
        thread.start();
    for (CPollingThread& thread : threads)
        SYNC_REQUIRE(thread.runs.waitForAtLeast(1));
    EXPECT_EQ(threads[1].stop(), 1u);
    EXPECT_FALSE(threads[0].isStopRequested());
    EXPECT_FALSE(threads[0].isFinished());
    for (CPollingThread& thread : threads)
        EXPECT_EQ(thread.stop(), 1u);
}

TEST(CSemaphoreConcurrency, LockWaitsForAnUnlockOnAnotherThread)
{
    CSemaphore semaphore(0, 16);
    CTestCounter passed;
    std::thread waiter([&] {
        for (int i = 0; i < 3; ++i)
        {
            semaphore.lock();
            passed.increment();
        }
    });
    for (int i = 1; i <= 3; ++i)
    {
        semaphore.unlock();
        SYNC_REQUIRE(passed.waitForAtLeast(i));
    }
    waiter.join();
    EXPECT_EQ(passed.get(), 3);
}

TEST(CSemaphoreConcurrency, CountsEveryReleaseAcrossThreads)
{
    const int C_THREADS = 4;
    const int C_ROUNDS = 200;
    CSemaphore items(0, C_THREADS * C_ROUNDS);
    std::vector<std::thread> producers;
    for (int t = 0; t < C_THREADS; ++t)
        producers.emplace_back([&] {
            for (int i = 0; i < C_ROUNDS; ++i)
                items.unlock();
        });
    for (int i = 0; i < C_THREADS * C_ROUNDS; ++i)
        items.lock();
    for (std::thread& producer : producers)
        producer.join();
    // Every release was taken, and the maximum is reached again exactly.
    for (int i = 0; i < C_THREADS * C_ROUNDS; ++i)
        items.unlock();
    EXPECT_ANY_THROW(items.unlock());
}

TEST(CEventConcurrency, SetReleasesEveryWaiterUntilReset)
{
    CEvent event;
    ASSERT_TRUE(event.isValid());
    CTestCounter passed;
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            EXPECT_TRUE(event.wait());
            passed.increment();
        });
    EXPECT_TRUE(event.set());
    SYNC_REQUIRE(passed.waitForAtLeast(3));
    for (std::thread& waiter : waiters)
        waiter.join();
    // Manual reset: still signalled for a late waiter.
    EXPECT_TRUE(event.wait());
    EXPECT_TRUE(event.reset());
    CEvent initiallySet(true);
    EXPECT_TRUE(initiallySet.wait());
}
