#include "Engine/IKernel/System/CTaskManager.h"

#include "Engine/IKernel/System/CThread.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Tavrin::Engine;

namespace {

class CInlineTask : public CTask
{
public:
    void execute(uint32_t partIndex, uintptr_t argument, uint32_t partCount) override
    {
        ++calls;
        lastPart = partIndex;
        lastArgument = argument;
        lastCount = partCount;
        thread = std::this_thread::get_id();
    }

    int calls = 0;
    uint32_t lastPart = 99;
    uintptr_t lastArgument = 0;
    uint32_t lastCount = 0;
    std::thread::id thread;
};

} // namespace

TEST(CTaskManager, ZeroPartsCallsNothing)
{
    CTaskManager manager;
    CInlineTask task;
    manager.runTasks(&task, 1, 0);
    EXPECT_EQ(task.calls, 0);
    EXPECT_EQ(manager.getWorkerCount(), 0u);
}

TEST(CTaskManager, OnePartRunsOnTheCallingThread)
{
    CTaskManager manager;
    CInlineTask task;
    manager.runTasks(&task, 0x1234, 1);
    EXPECT_EQ(task.calls, 1);
    EXPECT_EQ(task.lastPart, 0u);
    EXPECT_EQ(task.lastArgument, 0x1234u);
    EXPECT_EQ(task.lastCount, 1u);
    EXPECT_EQ(task.thread, std::this_thread::get_id());
    EXPECT_EQ(manager.getWorkerCount(), 0u);

    // A default of one part runs inline as well.
    uint32_t saved = CTaskManager::getDefaultPartCount();
    CTaskManager::setDefaultPartCount(1);
    manager.runTasks(&task, 5, CTaskManager::C_DEFAULT_PARTS);
    EXPECT_EQ(task.calls, 2);
    EXPECT_EQ(task.lastCount, 1u);
    EXPECT_EQ(manager.getWorkerCount(), 0u);
    CTaskManager::setDefaultPartCount(saved);
}

TEST(CTaskManager, DefaultPartCountIsTheProcessorCount)
{
    // Every test puts back the count it found after its manager existed.
    CTaskManager manager;
    EXPECT_EQ(CTaskManager::getDefaultPartCount(), CThread::getProcessorCount());
    uint32_t saved = CTaskManager::getDefaultPartCount();
    CTaskManager::setDefaultPartCount(0);
    EXPECT_EQ(CTaskManager::getDefaultPartCount(), 1u);
    CTaskManager::setDefaultPartCount(saved);
}

TEST(CTaskManager, CurrentManagerIsClearedByItsDestructor)
{
    CTaskManager* before = CTaskManager::getCurrent();
    {
        CTaskManager manager;
        CTaskManager::setCurrent(&manager);
        EXPECT_EQ(CTaskManager::getCurrent(), &manager);
    }
    EXPECT_EQ(CTaskManager::getCurrent(), nullptr);
    CTaskManager::setCurrent(before);
}
