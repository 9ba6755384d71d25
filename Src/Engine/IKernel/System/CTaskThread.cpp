#include "Engine/IKernel/System/CTaskThread.h"

#include "Engine/IKernel/System/CTask.h"
#include "Engine/IKernel/System/CTimer.h"

namespace Tavrin {
namespace Engine {

// A semaphore that fails to be created throws, and the members made before
// it are closed on the way out.
CTaskThread::CTaskThread()
    : m_go(1, 16), m_done(1, 16), m_ready(1, 16), m_partIndex(C_IDLE), m_task(nullptr), m_argument(0), m_partCount(0)
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

uint32_t CTaskThread::run()
{
    m_done.lock();
    m_ready.unlock();
    uint32_t stopRequested = m_stopRequested.load();
    if (stopRequested)
        return stopRequested;
    do
    {
        m_go.lock();
        if (m_partIndex != C_IDLE)
            m_task->execute(m_partIndex, m_argument, m_partCount);
        m_done.unlock();
        stopRequested = m_stopRequested.load();
    } while (!stopRequested);
    return stopRequested;
}

uint32_t CTaskThread::stop()
{
    m_stopRequested.store(1);
    m_partIndex = C_IDLE;
    m_go.unlock();
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
