#pragma once

#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/System/CEvent.h"
#include "Engine/IKernel/System/CSemaphore.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Writer-preferring reader/writer lock for systems without a slim one: new
// readers wait while a writer waits, and a releasing holder hands the lock
// directly to one waiting writer. Not re-entrant.
class CFallbackReadWriteLock
{
public:
    // Value of the state while a writer holds the lock.
    static const uint32_t C_WRITER_STATE = 0x10000;

    // Creation failures are only logged.
    CFallbackReadWriteLock();
    CFallbackReadWriteLock(const CFallbackReadWriteLock&) = delete;
    CFallbackReadWriteLock& operator=(const CFallbackReadWriteLock&) = delete;

    void lockShared();
    void unlockShared();
    void lockExclusive();
    void unlockExclusive();

    // Snapshots of the counters, for diagnostics.
    uint32_t getWritersWaiting();
    uint32_t getReadersWaiting();
    uint32_t getState();

private:
    uint32_t _read(const uint32_t& counter);

    uint32_t m_writersWaiting;
    uint32_t m_readersWaiting;
    // Readers holding the lock, or C_WRITER_STATE.
    uint32_t m_state;
    CEvent m_readerEvent;
    CSemaphore m_writerSemaphore;
    CCriticalSection m_guard;
};

} // namespace Engine
} // namespace Tavrin
