#include "Engine/IKernel/System/CTaskThread.h"

#include "Engine/IKernel/System/CTask.h"
#include "Engine/IKernel/System/CTimer.h"

#include <emmintrin.h>
#include <thread>

namespace Tavrin {
namespace Engine {

namespace {

// How long a wait spins before it blocks: above a part's usual hand-over
// time, far below a time slice.
const uint64_t C_SPIN_MICROSECONDS = 50;

// Spins until the counter differs from `taken` or the time is up; yields
// now and then so that, with more threads than processors, the thread it
// waits for can run.
void spinWhileUnchanged(const std::atomic<uint32_t>& counter, uint32_t taken)
{
    uint64_t start = CTimer::readCounter();
    uint64_t limit = CTimer::getCounterFrequency() * C_SPIN_MICROSECONDS / 1000000;
    for (uint32_t i = 1; counter.load(std::memory_order_acquire) == taken; ++i)
    {
        _mm_pause();
        if ((i & 7) == 0)
        {
            if (CTimer::readCounter() - start > limit)
                return;
            std::this_thread::yield();
        }
    }
}

} // namespace

// A semaphore that fails to be created throws, and the members made before
// it are closed on the way out.
CTaskThread::CTaskThread()
    : m_go(1, 16), m_done(1, 16), m_ready(1, 16), m_partIndex(C_IDLE), m_task(nullptr), m_argument(0), m_partCount(0),
      m_goReleases(0), m_doneReleases(0), m_goTaken(0), m_doneTaken(0)
{
    m_ready.lock();
}

// The semaphores close in the order ready, done, go; the thread handle is
// released by CThread rather than dropped, so that it does not leak.
CTaskThread::~CTaskThread() = default;

void CTaskThread::setTask(uint32_t partIndex, CTask* task, uintptr_t argument, uint32_t partCount)
{
    m_partIndex = partIndex;
    m_task = task;
    m_argument = argument;
    m_partCount = partCount;
}

void CTaskThread::releaseGo()
{
    m_go.unlock();
    m_goReleases.fetch_add(1, std::memory_order_release);
}

void CTaskThread::_waitGo()
{
    spinWhileUnchanged(m_goReleases, m_goTaken);
    m_go.lock();
    ++m_goTaken;
}

void CTaskThread::_releaseDone()
{
    m_done.unlock();
    m_doneReleases.fetch_add(1, std::memory_order_release);
}

void CTaskThread::waitDone()
{
    spinWhileUnchanged(m_doneReleases, m_doneTaken);
    m_done.lock();
    ++m_doneTaken;
}

uint32_t CTaskThread::run()
{
    m_done.lock();
    m_ready.unlock();
    uint32_t stopRequested = m_stopRequested.load();
    if (stopRequested)
        return stopRequested;
    do
    {
        _waitGo();
        if (m_partIndex != C_IDLE)
            m_task->execute(m_partIndex, m_argument, m_partCount);
        _releaseDone();
        stopRequested = m_stopRequested.load();
    } while (!stopRequested);
    return stopRequested;
}

uint32_t CTaskThread::stop()
{
    m_stopRequested.store(1);
    m_partIndex = C_IDLE;
    releaseGo();
    uint32_t finished = m_finished.load();
    // Without a thread nobody would ever set the flag.
    if (!m_handle)
        return finished;
    while (finished == 0)
    {
        CTimer::sleepMilliseconds(1);
        finished = m_finished.load();
    }
    return finished;
}

} // namespace Engine
} // namespace Tavrin
