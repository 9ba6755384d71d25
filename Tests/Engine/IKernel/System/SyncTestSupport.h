#pragma once

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CThread.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace SyncTest {

// Long enough for two loaded cores under ThreadSanitizer; only a broken
// primitive ever waits this long.
const int C_PATIENCE_MS = 20000;

// A count that other threads raise and tests wait on, always with a bound.
class CTestCounter
{
public:
    void increment()
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        ++m_value;
        m_changed.notify_all();
    }
    int get()
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_value;
    }
    bool waitForAtLeast(int value, int milliseconds = C_PATIENCE_MS)
    {
        std::unique_lock<std::mutex> hold(m_mutex);
        return m_changed.wait_for(hold, std::chrono::milliseconds(milliseconds), [&] { return m_value >= value; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_value = 0;
};

// Polls `condition` until it holds or the patience runs out.
template <class TCondition>
bool waitUntil(TCondition condition, int milliseconds = C_PATIENCE_MS)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Threads of a failed scenario may be stuck in the lock for good: joining
// them would hang the run, so the program stops with the reason.
#define SYNC_REQUIRE(condition)                                                         \
    do                                                                                  \
    {                                                                                   \
        if (!(condition))                                                               \
        {                                                                               \
            ADD_FAILURE() << "Gave up waiting: " #condition;                            \
            fflush(stdout);                                                             \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// Runs until asked to stop; counts its starts.
class CIdleThread : public Tavrin::Engine::CThread
{
public:
    CTestCounter started;
    uint32_t run() override
    {
        started.increment();
        while (!isStopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
};

using TavrinTests::CLogCapture;

} // namespace SyncTest
