#include "Engine/IKernel/System/CSemaphore.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/SyncTestSupport.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;

namespace {

template <class TAction>
void expectSemaphoreError(TAction action, const char* details, int32_t line)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected " << details;
    }
    catch (const CInvalidOperationException& error)
    {
        EXPECT_STREQ(error.getDetails().c_str(), details);
        EXPECT_STREQ(error.getFile().c_str(), "Engine/IKernel/System/CSemaphore");
        EXPECT_EQ(error.getLine(), line);
    }
}

} // namespace

TEST(CSemaphore, RefusesImpossibleCounts)
{
    struct SCase
    {
        uint32_t initial, maximum;
    };
    for (SCase entry : {SCase{2, 1}, SCase{0, 0}, SCase{0, 0x80000000u}, SCase{0xFFFFFFFFu, 0xFFFFFFFFu}})
        expectSemaphoreError([&] { CSemaphore semaphore(entry.initial, entry.maximum); }, "Cannot create semaphore\n",
                             32);
}

TEST(CSemaphore, InitialCountPassesWithoutBlocking)
{
    CSemaphore semaphore(3, 16);
    for (int i = 0; i < 3; ++i)
        semaphore.lock();
    semaphore.unlock();
    semaphore.lock();
}

TEST(CSemaphore, UnlockPastTheMaximumThrowsAndKeepsTheCount)
{
    CSemaphore semaphore(0, 2);
    semaphore.unlock();
    semaphore.unlock();
    expectSemaphoreError([&] { semaphore.unlock(); }, "Cannot unlock semaphore\n", 102);
    // Still exactly two: both pass, and a third release fits again.
    semaphore.lock();
    semaphore.lock();
    semaphore.unlock();
}

TEST(CSemaphore, FailedCreationCanBeOnlyLogged)
{
    SyncTest::CLogCapture capture;
    CSemaphore semaphore(5, 1, false);
    EXPECT_FALSE(semaphore.isValid());
    EXPECT_NE(capture.get().find("### Win32 error code: "), std::string::npos) << capture.get();
    expectSemaphoreError([&] { semaphore.lock(); }, "Cannot lock semaphore\n", 63);
    expectSemaphoreError([&] { semaphore.unlock(); }, "Cannot unlock semaphore\n", 102);
}
