#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CFallbackReadWriteLock;

// Reader/writer lock: the operating system's slim lock where the system has
// one, otherwise a writer-preferring lock built from a critical section, an
// event and a semaphore. Not re-entrant in either mode.
class CReadWriteLock
{
public:
    // `forceFallback` selects the fallback lock whatever the system offers.
    explicit CReadWriteLock(bool forceFallback = false);
    ~CReadWriteLock();
    CReadWriteLock(const CReadWriteLock&) = delete;
    CReadWriteLock& operator=(const CReadWriteLock&) = delete;

    void lockShared();
    void unlockShared();
    void lockExclusive();
    void unlockExclusive();

    bool isFallback() const { return m_fallback != nullptr; }

private:
    CFallbackReadWriteLock* m_fallback;
    // Opaque room for the platform's slim lock.
    alignas(8) unsigned char m_slim[64];
};

} // namespace Engine
} // namespace Tavrin
