#include "Engine/IKernel/System/CThread.h"

#include "Engine/IKernel/System/SyncTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <windows.h>

using namespace Tavrin::Engine;
using SyncTest::CIdleThread;

TEST(CThreadWindows, PrioritiesUseTheSystemLevels)
{
    CIdleThread thread;
    thread.start();
    const int expected[11] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
                              THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_NORMAL,
                              THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL,
                              THREAD_PRIORITY_HIGHEST,      THREAD_PRIORITY_TIME_CRITICAL};
    for (uint32_t priority = 0; priority <= 10; ++priority)
    {
        thread.setPriority(priority);
        EXPECT_EQ(GetThreadPriority(static_cast<HANDLE>(thread.getHandle())), expected[priority])
            << "priority " << priority;
    }
    EXPECT_EQ(thread.stop(), 1u);
}

TEST(CThreadWindows, StartReturnsARealHandle)
{
    CIdleThread thread;
    HANDLE handle = static_cast<HANDLE>(thread.start());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetThreadId(handle), thread.getThreadId());
    EXPECT_EQ(WaitForSingleObject(handle, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    thread.stop();
    // The thread ends soon after it reports finished.
    EXPECT_EQ(WaitForSingleObject(handle, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
}
