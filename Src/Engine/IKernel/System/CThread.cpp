#include "Engine/IKernel/System/CThread.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CTimer.h"

namespace Tavrin {
namespace Engine {

CThread::CThread() : m_handle(nullptr), m_stopRequested(1), m_finished(0)
{
}

CThread::~CThread()
{
    if (m_handle)
        _releaseNative(m_handle);
    m_handle = nullptr;
}

void CThread::_runOnThread()
{
    run();
    // The owner may destroy the object as soon as it sees this: last touch.
    m_finished.fetch_add(1);
}

void* CThread::start()
{
    // Cleared before the thread exists, so that a quick thread cannot have
    // its stop or finish undone. A failed start puts them back: stop must
    // not wait for a thread that never ran.
    uint32_t stopRequested = m_stopRequested.exchange(0);
    uint32_t finished = m_finished.exchange(0);
    void* handle = _createNative();
    if (!handle)
    {
        m_stopRequested.store(stopRequested);
        m_finished.store(finished);
        TAVRIN_THROW_AT(CInvalidOperationException, "Couldn't create a new thread\n", "Engine/IKernel/System/CThread",
                        133);
    }
    if (m_handle)
        _releaseNative(m_handle);
    m_handle = handle;
    return m_handle;
}

uint32_t CThread::stop()
{
    m_stopRequested.fetch_add(1);
    uint32_t finished = m_finished.load();
    // Without a thread nobody would ever set the flag.
    if (!m_handle)
        return finished;
    while (finished == 0)
    {
        CTimer::sleepMilliseconds(10);
        finished = m_finished.load();
    }
    return finished;
}

uint32_t CThread::selectProcessor(uint32_t processor, uint32_t processorCount)
{
    return processorCount > 1 ? processor % processorCount : 0;
}

void CThread::setAffinity(uint32_t processor)
{
    uint32_t cpu = selectProcessor(processor, getProcessorCount());
    if (!_setNativeAffinity(cpu))
    {
        _logSystemFailure("Can't set thread affinity mask\n");
        return;
    }
    log("Thread %d set to cpu %d\n", static_cast<int>(getThreadId()), static_cast<int>(cpu));
}

int32_t CThread::getNativePriority(uint32_t priority)
{
    static const int32_t levels[11] = {-15, -2, -1, -1, 0, 0, 0, 1, 1, 2, 15};
    return priority <= 10 ? levels[priority] : 0;
}

void CThread::setPriority(uint32_t priority)
{
    if (priority > 10)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Thread priority must be in 0-10 range\n",
                        "Engine/IKernel/System/CThread", 192);
    _setNativePriority(getNativePriority(priority));
}

} // namespace Engine
} // namespace Tavrin
