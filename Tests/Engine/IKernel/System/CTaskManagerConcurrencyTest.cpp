#include "Engine/IKernel/System/CTaskManager.h"

#include "Engine/IKernel/System/CTaskThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;

namespace {

// Counts every (part index, part count, argument) it is called with and the
// threads it ran on.
class CRecordingTask : public CTask
{
public:
    static const uint32_t C_MAX_PARTS = 64;

    void execute(uint32_t partIndex, uintptr_t argument, uint32_t partCount) override
    {
        if (partIndex >= C_MAX_PARTS || partCount != m_expectedCount || argument != m_expectedArgument)
            ++m_unexpected;
        else
            ++m_calls[partIndex];
        std::lock_guard<std::mutex> lock(m_lock);
        m_threads.insert(std::this_thread::get_id());
    }

    void expect(uint32_t partCount, uintptr_t argument)
    {
        m_expectedCount = partCount;
        m_expectedArgument = argument;
        for (std::atomic<int>& calls : m_calls)
            calls = 0;
        m_unexpected = 0;
        m_threads.clear();
    }

    // Every part index below the count ran exactly `times` times, no other.
    void checkCoverage(int times) const
    {
        EXPECT_EQ(m_unexpected.load(), 0);
        for (uint32_t i = 0; i < C_MAX_PARTS; ++i)
            EXPECT_EQ(m_calls[i].load(), i < m_expectedCount ? times : 0) << "part " << i;
    }

    std::set<std::thread::id> threads()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_threads;
    }

private:
    uint32_t m_expectedCount = 0;
    uintptr_t m_expectedArgument = 0;
    std::atomic<int> m_calls[C_MAX_PARTS] = {};
    std::atomic<int> m_unexpected{0};
    std::mutex m_lock;
    std::set<std::thread::id> m_threads;
};

// Every part waits until all parts have arrived: only passes if the parts
// really run at the same time on different threads.
class CBarrierTask : public CTask
{
public:
    explicit CBarrierTask(uint32_t parts) : m_parts(parts) {}

    void execute(uint32_t, uintptr_t, uint32_t) override
    {
        std::unique_lock<std::mutex> lock(m_lock);
        ++m_arrived;
        m_changed.notify_all();
        if (!m_changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_arrived >= m_parts; }))
            m_timedOut = true;
        ++m_left;
    }

    bool timedOut() const { return m_timedOut; }
    uint32_t left() const { return m_left; }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    uint32_t m_parts;
    uint32_t m_arrived = 0;
    uint32_t m_left = 0;
    bool m_timedOut = false;
};

} // namespace

TEST(CTaskManagerConcurrency, FourPartsRunOnFourReusedWorkers)
{
    CTaskManager manager;
    CRecordingTask task;
    task.expect(4, 77);
    manager.runTasks(&task, 77, 4);
    task.checkCoverage(1);
    EXPECT_EQ(manager.getWorkerCount(), 4u);
    std::set<std::thread::id> first = task.threads();
    EXPECT_EQ(first.size(), 4u);
    EXPECT_EQ(first.count(std::this_thread::get_id()), 0u);

    task.expect(4, 78);
    manager.runTasks(&task, 78, 4);
    task.checkCoverage(1);
    EXPECT_EQ(manager.getWorkerCount(), 4u);
    EXPECT_EQ(task.threads(), first);
}

TEST(CTaskManagerConcurrency, PartsRunAtTheSameTimeAndAllReturnBeforeTheCall)
{
    CTaskManager manager;
    CBarrierTask task(4);
    manager.runTasks(&task, 0, 4);
    EXPECT_FALSE(task.timedOut());
    EXPECT_EQ(task.left(), 4u);
}

TEST(CTaskManagerConcurrency, PoolGrowsOnlyToTheLargestCall)
{
    CTaskManager manager;
    CRecordingTask task;
    const uint32_t counts[] = {2, 6, 3, 6, 5, 2};
    for (uint32_t count : counts)
    {
        task.expect(count, count * 10);
        manager.runTasks(&task, count * 10, count);
        task.checkCoverage(1);
    }
    EXPECT_EQ(manager.getWorkerCount(), 6u);
}

TEST(CTaskManagerConcurrency, DefaultCountUsesTheDefaultPartCount)
{
    CTaskManager manager;
    uint32_t saved = CTaskManager::getDefaultPartCount();
    CTaskManager::setDefaultPartCount(8);
    CRecordingTask task;
    task.expect(8, 1);
    manager.runTasks(&task, 1, CTaskManager::C_DEFAULT_PARTS);
    task.checkCoverage(1);
    EXPECT_EQ(manager.getWorkerCount(), 8u);
    CTaskManager::setDefaultPartCount(saved);
}

namespace {

// Parts that outlast the short spin of every wait, so that the calling
// thread and the idle workers block in their semaphores.
class CSlowTask : public CTask
{
public:
    void execute(uint32_t partIndex, uintptr_t, uint32_t) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + 5 * partIndex));
        m_finished[partIndex].store(true);
    }

    std::atomic<bool> m_finished[3] = {};
};

} // namespace

TEST(CTaskManagerConcurrency, SlowPartsAndIdlePausesAreWaitedOut)
{
    CTaskManager manager;
    for (int round = 0; round < 3; ++round)
    {
        CSlowTask task;
        manager.runTasks(&task, 0, 3);
        for (std::atomic<bool>& finished : task.m_finished)
            EXPECT_TRUE(finished.load());
        // Long enough for the workers to give up spinning and block.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(manager.getWorkerCount(), 3u);
}

TEST(CTaskManagerConcurrency, ManyCallsInARowEachCoverEveryPart)
{
    CTaskManager manager;
    CRecordingTask task;
    task.expect(2, 5);
    for (int i = 0; i < 500; ++i)
        manager.runTasks(&task, 5, 2);
    task.checkCoverage(500);
    EXPECT_EQ(manager.getWorkerCount(), 2u);
}

TEST(CTaskManagerConcurrency, CallsFromSeveralThreadsUseDisjointWorkers)
{
    CTaskManager manager;
    CRecordingTask tasks[3];
    for (CRecordingTask& task : tasks)
        task.expect(3, 9);
    std::vector<std::thread> callers;
    for (CRecordingTask& task : tasks)
        callers.emplace_back([&manager, &task] {
            for (int i = 0; i < 100; ++i)
                manager.runTasks(&task, 9, 3);
        });
    for (std::thread& caller : callers)
        caller.join();
    for (CRecordingTask& task : tasks)
        task.checkCoverage(100);
    EXPECT_GE(manager.getWorkerCount(), 3u);
    EXPECT_LE(manager.getWorkerCount(), 9u);
}

namespace {

// Each outer part splits its own work again on the same manager: the inner
// calls take fresh workers, never the busy ones.
class CSplittingTask : public CTask
{
public:
    explicit CSplittingTask(CTaskManager& manager) : m_manager(manager) {}

    void execute(uint32_t, uintptr_t, uint32_t) override
    {
        CRecordingTask& inner = m_inner[m_next++];
        inner.expect(2, 3);
        m_manager.runTasks(&inner, 3, 2);
        inner.checkCoverage(1);
    }

    CRecordingTask m_inner[2];
    std::atomic<int> m_next{0};

private:
    CTaskManager& m_manager;
};

} // namespace

TEST(CTaskManagerConcurrency, PartsMaySplitWorkAgainOnFreeWorkers)
{
    CTaskManager manager;
    CSplittingTask task(manager);
    manager.runTasks(&task, 0, 2);
    EXPECT_EQ(task.m_next.load(), 2);
    // Two outer workers stay busy while each inner call takes two more.
    EXPECT_GE(manager.getWorkerCount(), 4u);
    EXPECT_LE(manager.getWorkerCount(), 6u);
}

TEST(CTaskManagerConcurrency, WorkerStopsAtOnceWhenIdle)
{
    CTaskThread worker;
    EXPECT_EQ(worker.getPartIndex(), CTaskThread::C_IDLE);
    worker.getGo().lock();
    worker.start();
    worker.getReady().lock();
    EXPECT_NE(worker.stop(), 0u);
    EXPECT_EQ(worker.getPartIndex(), CTaskThread::C_IDLE);
}

TEST(CTaskManagerConcurrency, DestroyingTheManagerStopsEveryWorker)
{
    CRecordingTask task;
    task.expect(5, 0);
    {
        CTaskManager manager;
        manager.runTasks(&task, 0, 5);
        EXPECT_EQ(manager.getWorkerCount(), 5u);
    }
    // The sanitizer runs check that no worker or thread outlives it.
    task.checkCoverage(1);
}
