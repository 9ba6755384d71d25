#include "Engine/IKernel/System/CCriticalSection.h"

#include <pthread.h>

namespace Tavrin {
namespace Engine {

static_assert(sizeof(pthread_mutex_t) <= 64, "critical section storage too small");

static pthread_mutex_t* native(unsigned char* storage)
{
    return reinterpret_cast<pthread_mutex_t*>(storage);
}

CCriticalSection::CCriticalSection()
{
    // Recursive, as a Windows critical section is.
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(native(m_storage), &attributes);
    pthread_mutexattr_destroy(&attributes);
}

CCriticalSection::~CCriticalSection()
{
    pthread_mutex_destroy(native(m_storage));
}

void CCriticalSection::enter()
{
    pthread_mutex_lock(native(m_storage));
}

void CCriticalSection::leave()
{
    pthread_mutex_unlock(native(m_storage));
}

} // namespace Engine
} // namespace Tavrin
