#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/CGlobalLogLock.h"
#include "Engine/IKernel/System/CTimer.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace Tavrin {
namespace Engine {

// One message's pieces, copied: the text may live in a buffer that the next
// message overwrites.
struct CLog::_SHeardMessage
{
    _SHeardMessage* next;
    const char* pieces[3];
};

namespace {

// The log whose listeners the calling thread is telling, if any.
thread_local const CLog* t_tellingFor = nullptr;

} // namespace

void CLog::addListener(TLogListener listener)
{
    CCriticalSectionLock lock(m_listenerLock);
    m_listeners.add(listener);
    m_listenerCount = static_cast<uint32_t>(m_listeners.getCount());
}

void CLog::removeListener(TLogListener listener)
{
    uint64_t running = 0;
    {
        CCriticalSectionLock lock(m_listenerLock);
        m_listeners.removeAt(m_listeners.indexOf(listener));
        m_listenerCount = static_cast<uint32_t>(m_listeners.getCount());
        // A call on this very thread (a listener removing itself) is not waited for.
        if (m_telling && t_tellingFor != this && m_callsStarted > m_callsFinished)
            running = m_callsStarted;
    }
    // The call running on another thread may be of this listener.
    while (running && !_hasFinishedCall(running))
        CTimer::sleepMilliseconds(1);
}

bool CLog::_hasFinishedCall(uint64_t call)
{
    CCriticalSectionLock lock(m_listenerLock);
    return m_callsFinished >= call;
}

// Caller holds the file lock, so that listeners hear messages in the file's order.
void CLog::_queueHeard(const char* prefix, const char* indentation, const char* text)
{
    const char* pieces[] = {prefix, indentation, text};
    size_t lengths[3];
    size_t size = sizeof(_SHeardMessage);
    for (int i = 0; i < 3; ++i)
        size += (lengths[i] = strlen(pieces[i])) + 1;
    auto* message = static_cast<_SHeardMessage*>(malloc(size));
    // Out of memory: written, but not heard.
    if (!message)
        return;
    char* at = reinterpret_cast<char*>(message + 1);
    for (int i = 0; i < 3; ++i)
    {
        memcpy(at, pieces[i], lengths[i] + 1);
        message->pieces[i] = at;
        at += lengths[i] + 1;
    }
    message->next = nullptr;
    CCriticalSectionLock lock(m_listenerLock);
    (m_heardLast ? m_heardLast->next : m_heardFirst) = message;
    m_heardLast = message;
    ++m_heardCount;
}

// The next message to tell and the listeners registered at that moment; null
// when none is left, and then the thread stops telling (unless it tells from
// inside a listener call, which its outer telling goes on after).
CLog::_SHeardMessage* CLog::_takeHeard(bool nested, CArray<TLogListener>& listeners)
{
    CCriticalSectionLock lock(m_listenerLock);
    _SHeardMessage* message = m_heardFirst;
    if (!message)
    {
        if (!nested)
            m_telling = false;
        return nullptr;
    }
    m_heardFirst = message->next;
    if (!m_heardFirst)
        m_heardLast = nullptr;
    --m_heardCount;
    listeners = m_listeners;
    return message;
}

bool CLog::_startCall(TLogListener listener)
{
    CCriticalSectionLock lock(m_listenerLock);
    if (m_listeners.indexOf(listener) == CArray<TLogListener>::C_NOT_FOUND)
        return false;
    ++m_callsStarted;
    return true;
}

void CLog::_endCall()
{
    CCriticalSectionLock lock(m_listenerLock);
    ++m_callsFinished;
}

void CLog::_endTelling()
{
    CCriticalSectionLock lock(m_listenerLock);
    m_telling = false;
}

// Each piece goes to every listener in turn; a listener removed meanwhile (by
// a listener, or by itself) is not called again, one added hears the next message.
void CLog::_tellMessage(const _SHeardMessage& message, const CArray<TLogListener>& listeners)
{
    struct _SCall
    {
        CLog* log;
        ~_SCall() { log->_endCall(); }
    };
    for (const char* piece : message.pieces)
    {
        if (!piece[0])
            continue;
        for (TLogListener listener : listeners)
        {
            if (!_startCall(listener))
                continue;
            _SCall call{this};
            listener(piece);
        }
    }
}

void CLog::tellListeners()
{
    if (!m_heardCount || CGlobalLogLock::isHeld())
        return;
    // A listener that logs hears its message at once, inside its own call.
    bool nested = t_tellingFor == this;
    {
        CCriticalSectionLock lock(m_listenerLock);
        // The thread telling now tells this message too, after its running call.
        if (!nested && m_telling)
            return;
        m_telling = true;
    }
    // A listener may throw: the telling ends on that way out too, and the
    // messages left are told by the next thread that logs.
    struct _STelling
    {
        CLog* log;
        const CLog* outer;
        bool interrupted;
        ~_STelling()
        {
            t_tellingFor = outer;
            if (interrupted)
                log->_endTelling();
        }
    } telling{this, t_tellingFor, !nested};
    t_tellingFor = this;
    CArray<TLogListener> listeners;
    while (_SHeardMessage* taken = _takeHeard(nested, listeners))
    {
        std::unique_ptr<_SHeardMessage, void (*)(void*)> message(taken, free);
        _tellMessage(*message, listeners);
    }
    // Ended by the last _takeHeard, under the lock that queues messages.
    telling.interrupted = false;
}

} // namespace Engine
} // namespace Tavrin
