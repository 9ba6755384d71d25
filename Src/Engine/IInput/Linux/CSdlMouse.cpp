#include "Engine/IInput/Linux/CSdlMouse.h"

#include "Engine/IInput/Linux/CSdlEventPump.h"

#include <SDL.h>

namespace Tavrin {
namespace Engine {

CSdlMouse::CSdlMouse(void* window, uint32_t foregroundOnly)
    : CMouse(window, foregroundOnly), m_pendingX(0), m_pendingY(0), m_pendingWheel(0.0f), m_active(true)
{
    CSdlEventPump::get().addMouse(this);
}

CSdlMouse::~CSdlMouse()
{
    CSdlEventPump::get().removeMouse(this);
}

void CSdlMouse::update(float)
{
    CSdlEventPump::get().pump();
    // Motion seen while another window had the focus is not this window's.
    m_active = !m_foregroundOnly || SDL_GetKeyboardFocus() == static_cast<SDL_Window*>(m_window);
    if (!m_active)
    {
        _clearPending();
        resetState();
        return;
    }
    m_deltaX = m_pendingX;
    m_deltaY = m_pendingY;
    m_wheel = m_pendingWheel;
    _clearPending();
}

void CSdlMouse::onSdlEvent(const SDL_Event& event)
{
    if (event.type == SDL_MOUSEMOTION)
    {
        m_pendingX += event.motion.xrel;
        m_pendingY += event.motion.yrel;
    }
    else if (event.type == SDL_MOUSEWHEEL)
    {
        // Up (away from the user) positive, whatever the desktop's
        // "natural scrolling" setting.
        float notches = event.wheel.preciseY;
        m_pendingWheel += event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -notches : notches;
    }
}

void CSdlMouse::_clearPending()
{
    m_pendingX = 0;
    m_pendingY = 0;
    m_pendingWheel = 0.0f;
}

} // namespace Engine
} // namespace Tavrin
