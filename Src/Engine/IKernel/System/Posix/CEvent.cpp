#include "Engine/IKernel/System/CEvent.h"

#include "Engine/IKernel/CLog.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <pthread.h>

namespace Tavrin {
namespace Engine {

namespace {

struct SEvent
{
    pthread_mutex_t mutex;
    pthread_cond_t changed;
    bool signalled;
    // Counts the sets, so that a waiter woken by one leaves even when a
    // reset came before it could run (as with the Windows event).
    uint64_t generation;
};

SEvent* createEvent(bool signalled)
{
    SEvent* event = static_cast<SEvent*>(malloc(sizeof(SEvent)));
    if (!event)
    {
        errno = ENOMEM;
        return nullptr;
    }
    int result = pthread_mutex_init(&event->mutex, nullptr);
    if (result == 0)
    {
        result = pthread_cond_init(&event->changed, nullptr);
        if (result != 0)
            pthread_mutex_destroy(&event->mutex);
    }
    if (result != 0)
    {
        free(event);
        errno = result;
        return nullptr;
    }
    event->signalled = signalled;
    event->generation = 0;
    return event;
}

SEvent* eventOf(void* handle)
{
    return static_cast<SEvent*>(handle);
}

} // namespace

CEvent::CEvent(bool signalled) : m_handle(createEvent(signalled))
{
    if (!m_handle && getLog())
        logLastError();
}

CEvent::~CEvent()
{
    SEvent* event = eventOf(m_handle);
    if (!event)
        return;
    pthread_cond_destroy(&event->changed);
    pthread_mutex_destroy(&event->mutex);
    free(event);
}

bool CEvent::set()
{
    SEvent* event = eventOf(m_handle);
    if (!event || pthread_mutex_lock(&event->mutex) != 0)
        return false;
    event->signalled = true;
    event->generation++;
    pthread_cond_broadcast(&event->changed);
    pthread_mutex_unlock(&event->mutex);
    return true;
}

bool CEvent::reset()
{
    SEvent* event = eventOf(m_handle);
    if (!event || pthread_mutex_lock(&event->mutex) != 0)
        return false;
    event->signalled = false;
    pthread_mutex_unlock(&event->mutex);
    return true;
}

bool CEvent::wait()
{
    SEvent* event = eventOf(m_handle);
    if (!event || pthread_mutex_lock(&event->mutex) != 0)
        return false;
    uint64_t generation = event->generation;
    while (!event->signalled && event->generation == generation)
        pthread_cond_wait(&event->changed, &event->mutex);
    pthread_mutex_unlock(&event->mutex);
    return true;
}

} // namespace Engine
} // namespace Tavrin
