#include "Engine/IKernel/System/CReadWriteLock.h"

#include "Engine/IKernel/System/CFallbackReadWriteLock.h"

#include <pthread.h>

namespace Tavrin {
namespace Engine {

static_assert(sizeof(pthread_rwlock_t) <= 64, "slim lock storage too small");

namespace {

pthread_rwlock_t* slimOf(unsigned char* storage)
{
    return reinterpret_cast<pthread_rwlock_t*>(storage);
}

} // namespace

// Every system this build runs on has a native reader/writer lock.
CReadWriteLock::CReadWriteLock(bool forceFallback) : m_fallback(nullptr)
{
    if (forceFallback)
    {
        m_fallback = new CFallbackReadWriteLock();
        return;
    }
    // glibc prefers readers by default; the engine's locks prefer writers,
    // as the Windows slim lock and the fallback do.
    pthread_rwlockattr_t attributes;
    pthread_rwlockattr_init(&attributes);
    pthread_rwlockattr_setkind_np(&attributes, PTHREAD_RWLOCK_PREFER_WRITER_NONRECURSIVE_NP);
    pthread_rwlock_init(slimOf(m_slim), &attributes);
    pthread_rwlockattr_destroy(&attributes);
}

CReadWriteLock::~CReadWriteLock()
{
    if (m_fallback)
        delete m_fallback;
    else
        pthread_rwlock_destroy(slimOf(m_slim));
}

void CReadWriteLock::lockShared()
{
    if (m_fallback)
        m_fallback->lockShared();
    else
        pthread_rwlock_rdlock(slimOf(m_slim));
}

void CReadWriteLock::unlockShared()
{
    if (m_fallback)
        m_fallback->unlockShared();
    else
        pthread_rwlock_unlock(slimOf(m_slim));
}

void CReadWriteLock::lockExclusive()
{
    if (m_fallback)
        m_fallback->lockExclusive();
    else
        pthread_rwlock_wrlock(slimOf(m_slim));
}

void CReadWriteLock::unlockExclusive()
{
    if (m_fallback)
        m_fallback->unlockExclusive();
    else
        pthread_rwlock_unlock(slimOf(m_slim));
}

} // namespace Engine
} // namespace Tavrin
