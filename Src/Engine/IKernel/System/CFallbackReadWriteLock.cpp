#include "Engine/IKernel/System/CFallbackReadWriteLock.h"

namespace Tavrin {
namespace Engine {

// The event and the semaphore log their own creation failures.
CFallbackReadWriteLock::CFallbackReadWriteLock()
    : m_writersWaiting(0), m_readersWaiting(0), m_state(0), m_readerEvent(false), m_writerSemaphore(0, 1, false)
{
}

void CFallbackReadWriteLock::lockShared()
{
    m_guard.enter();
    if (m_writersWaiting == 0 && m_state < C_WRITER_STATE)
    {
        m_state++;
        // Readers counted as waiting while the lock is open are on their way
        // in: make sure none of them sleeps through it.
        bool wakeReaders = m_state == 1 && m_readersWaiting > 0;
        m_guard.leave();
        if (wakeReaders)
            m_readerEvent.set();
        return;
    }
    m_readersWaiting++;
    do
    {
        m_readerEvent.reset();
        m_guard.leave();
        m_readerEvent.wait();
        m_guard.enter();
    } while (m_writersWaiting != 0 || m_state >= C_WRITER_STATE);
    m_readersWaiting--;
    m_state++;
    m_guard.leave();
}

void CFallbackReadWriteLock::unlockShared()
{
    m_guard.enter();
    m_state--;
    if (m_state == 0 && m_writersWaiting > 0)
    {
        // NOTE: the event is reset only here. Reset while the lock is open,
        // it would strand a woken reader that has not reached its wait yet.
        m_readerEvent.reset();
        // The lock passes straight to one writer.
        m_state = C_WRITER_STATE;
        m_writersWaiting--;
        m_writerSemaphore.unlock();
    }
    m_guard.leave();
}

void CFallbackReadWriteLock::lockExclusive()
{
    m_guard.enter();
    if (m_state == 0)
    {
        m_state = C_WRITER_STATE;
        m_guard.leave();
        return;
    }
    m_writersWaiting++;
    m_guard.leave();
    // Whoever releases us has already made the state ours.
    m_writerSemaphore.lock();
}

void CFallbackReadWriteLock::unlockExclusive()
{
    m_guard.enter();
    if (m_writersWaiting > 0)
    {
        // The state stays C_WRITER_STATE, now owned by the next writer.
        m_writersWaiting--;
        m_guard.leave();
        m_writerSemaphore.unlock();
        return;
    }
    m_state = 0;
    bool wakeReaders = m_readersWaiting > 0;
    m_guard.leave();
    if (wakeReaders)
        m_readerEvent.set();
}

uint32_t CFallbackReadWriteLock::_read(const uint32_t& counter)
{
    CCriticalSectionLock hold(m_guard);
    return counter;
}

uint32_t CFallbackReadWriteLock::getWritersWaiting()
{
    return _read(m_writersWaiting);
}

uint32_t CFallbackReadWriteLock::getReadersWaiting()
{
    return _read(m_readersWaiting);
}

uint32_t CFallbackReadWriteLock::getState()
{
    return _read(m_state);
}

} // namespace Engine
} // namespace Tavrin
