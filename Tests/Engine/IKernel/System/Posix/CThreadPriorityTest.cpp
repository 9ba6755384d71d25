#include "Engine/IKernel/System/CThread.h"

#include "Engine/IKernel/System/SyncTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sched.h>
#include <sys/resource.h>

using namespace Tavrin::Engine;
using SyncTest::CIdleThread;

namespace {


int niceOf(uint32_t tid)
{
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, tid);
    EXPECT_EQ(errno, 0);
    return nice;
}

} // namespace

// Each level either takes effect or is reported; raising a priority or
// leaving the idle class usually needs a privilege.
TEST(CThreadPosix, PrioritiesMapToNiceValuesOrAreLogged)
{
    SyncTest::CLogCapture capture;
    CIdleThread thread;
    thread.start();
    uint32_t tid = thread.getThreadId();
    struct SCase
    {
        uint32_t priority;
        int policy;
        // Ignored in the idle class, which has no nice value of its own.
        int nice;
    };
    // From normal up, then down to idle and back, so that an unprivileged
    // run meets both the allowed and the refused changes.
    const SCase cases[] = {{5, SCHED_OTHER, 0},  {7, SCHED_OTHER, -5}, {9, SCHED_OTHER, -10}, {10, SCHED_OTHER, -20},
                           {3, SCHED_OTHER, 5},  {1, SCHED_OTHER, 10}, {0, SCHED_IDLE, 0},   {6, SCHED_OTHER, 0}};
    for (const SCase& entry : cases)
    {
        int policyBefore = sched_getscheduler(tid);
        int niceBefore = niceOf(tid);
        capture.clear();
        thread.setPriority(entry.priority);
        std::string text = capture.get();
        int policy = sched_getscheduler(tid);
        int nice = niceOf(tid);
        bool applied = policy == entry.policy && (policy == SCHED_IDLE || nice == entry.nice);
        if (applied)
        {
            EXPECT_EQ(text.find("Warning"), std::string::npos) << entry.priority << ": " << text;
            continue;
        }
        EXPECT_NE(text.find("Warning: Can't set thread " + std::to_string(tid) + " to priority " +
                            std::to_string(CThread::getNativePriority(entry.priority))),
                  std::string::npos)
            << entry.priority << ": " << text;
        EXPECT_NE(text.find("### Win32 error code: "), std::string::npos) << text;
        EXPECT_EQ(policy, policyBefore) << entry.priority;
        if (policy != SCHED_IDLE)
        {
            EXPECT_EQ(nice, niceBefore) << entry.priority;
        }
    }
    EXPECT_EQ(thread.stop(), 1u);
}
