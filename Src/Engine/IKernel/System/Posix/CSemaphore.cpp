#include "Engine/IKernel/System/CSemaphore.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <cerrno>
#include <cstdlib>
#include <pthread.h>

namespace Tavrin {
namespace Engine {

namespace {

// POSIX semaphores know no maximum count, so the count lives beside a mutex
// and a condition variable.
struct SSemaphore
{
    pthread_mutex_t mutex;
    pthread_cond_t available;
    uint32_t count;
    uint32_t maximum;
};

// The limits that the Windows build's semaphores have: counts are LONGs.
const uint32_t C_MAXIMUM_COUNT = 0x7FFFFFFF;

SSemaphore* createSemaphore(uint32_t initialCount, uint32_t maximumCount)
{
    if (maximumCount == 0 || maximumCount > C_MAXIMUM_COUNT || initialCount > maximumCount)
    {
        errno = EINVAL;
        return nullptr;
    }
    SSemaphore* semaphore = static_cast<SSemaphore*>(malloc(sizeof(SSemaphore)));
    if (!semaphore)
    {
        errno = ENOMEM;
        return nullptr;
    }
    int result = pthread_mutex_init(&semaphore->mutex, nullptr);
    if (result == 0)
    {
        result = pthread_cond_init(&semaphore->available, nullptr);
        if (result != 0)
            pthread_mutex_destroy(&semaphore->mutex);
    }
    if (result != 0)
    {
        free(semaphore);
        errno = result;
        return nullptr;
    }
    semaphore->count = initialCount;
    semaphore->maximum = maximumCount;
    return semaphore;
}

} // namespace

CSemaphore::CSemaphore(uint32_t initialCount, uint32_t maximumCount, bool throwOnFailure)
    : m_handle(createSemaphore(initialCount, maximumCount))
{
    if (m_handle)
        return;
    if (throwOnFailure)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot create semaphore\n", "Engine/IKernel/System/CSemaphore",
                        32);
    if (getLog())
        logLastError();
}

CSemaphore::~CSemaphore()
{
    SSemaphore* semaphore = static_cast<SSemaphore*>(m_handle);
    if (!semaphore)
        return;
    pthread_cond_destroy(&semaphore->available);
    pthread_mutex_destroy(&semaphore->mutex);
    free(semaphore);
}

void CSemaphore::lock()
{
    SSemaphore* semaphore = static_cast<SSemaphore*>(m_handle);
    if (!semaphore || pthread_mutex_lock(&semaphore->mutex) != 0)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot lock semaphore\n", "Engine/IKernel/System/CSemaphore", 63);
    while (semaphore->count == 0)
        pthread_cond_wait(&semaphore->available, &semaphore->mutex);
    semaphore->count--;
    pthread_mutex_unlock(&semaphore->mutex);
}

void CSemaphore::unlock()
{
    SSemaphore* semaphore = static_cast<SSemaphore*>(m_handle);
    if (!semaphore || pthread_mutex_lock(&semaphore->mutex) != 0)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot unlock semaphore\n", "Engine/IKernel/System/CSemaphore",
                        102);
    // Like the system semaphore: a release past the maximum fails and
    // leaves the count alone.
    bool released = semaphore->count < semaphore->maximum;
    if (released)
    {
        semaphore->count++;
        pthread_cond_signal(&semaphore->available);
    }
    pthread_mutex_unlock(&semaphore->mutex);
    if (!released)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot unlock semaphore\n", "Engine/IKernel/System/CSemaphore",
                        102);
}

} // namespace Engine
} // namespace Tavrin
