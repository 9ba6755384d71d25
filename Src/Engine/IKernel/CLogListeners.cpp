#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/CLogGlobals.h"

namespace Tavrin {
namespace Engine {

void CLog::addListener(TLogListener listener)
{
    CCriticalSectionLock lock(getGlobalLogLock());
    m_listeners.add(listener);
    m_listenerCount = static_cast<uint32_t>(m_listeners.getCount());
}

void CLog::removeListener(TLogListener listener)
{
    // Listeners are called under this lock: taking it waits for a message
    // that another thread is telling them. The listener's own thread holds it
    // already, so a listener may remove itself.
    CCriticalSectionLock lock(getGlobalLogLock());
    m_listeners.removeAt(m_listeners.indexOf(listener));
    m_listenerCount = static_cast<uint32_t>(m_listeners.getCount());
}

// Caller holds the global log lock. Each piece goes to every listener in
// turn; a listener removed meanwhile (by a listener, or by itself) is not
// called again, one added hears the next message.
void CLog::_tellListeners(const char* const* pieces, uint32_t pieceCount)
{
    CArray<TLogListener> listeners = m_listeners;
    for (uint32_t piece = 0; piece < pieceCount; ++piece)
    {
        if (!pieces[piece][0])
            continue;
        for (TLogListener listener : listeners)
            if (m_listeners.indexOf(listener) != CArray<TLogListener>::C_NOT_FOUND)
                listener(pieces[piece]);
    }
}

} // namespace Engine
} // namespace Tavrin
