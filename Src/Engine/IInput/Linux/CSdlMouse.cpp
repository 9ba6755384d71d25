#include "Engine/IInput/Linux/CSdlMouse.h"

#include "Engine/IInput/Linux/CSdlEventPump.h"
#include "Engine/IInput/Linux/SdlPointerGrab.h"
#include "Engine/IKernel/CLog.h"

#include <SDL.h>

namespace Tavrin {
namespace Engine {

CSdlMouse::CSdlMouse(void* window, uint32_t foregroundOnly)
    : CMouse(window, foregroundOnly), m_pendingX(0), m_pendingY(0), m_pendingWheel(0.0f), m_active(true),
      m_holdsPointer(false), m_pointerRefused(false), m_pointerBusy(false), m_pointerX(0), m_pointerY(0)
{
    CSdlEventPump::get().addMouse(this);
}

CSdlMouse::~CSdlMouse()
{
    _holdPointer(false);
    CSdlEventPump::get().removeMouse(this);
}

void CSdlMouse::update(float)
{
    bool focused = SDL_GetKeyboardFocus() == static_cast<SDL_Window*>(m_window);
    _holdPointer(focused && m_window);
    // Motion seen while another window had the focus is not this window's.
    m_active = !m_foregroundOnly || focused;
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

// NOTE: SDL's relative mode is process-wide; it grabs the pointer into the
// focused window and hides the cursor, and gives both back when switched off,
// the pointer inside the window. It goes back to where the user left it.
void CSdlMouse::_holdPointer(bool hold)
{
    if (hold == m_holdsPointer || (hold && m_pointerRefused) || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    if (hold)
        SDL_GetGlobalMouseState(&m_pointerX, &m_pointerY);
    if (hold && !grabPointerAtOnce(m_window))
    {
        // Asked again at every update until it is free.
        if (!m_pointerBusy)
            log("The pointer is held by another program: the mouse reads over its window until it is free\n");
        m_pointerBusy = true;
        return;
    }
    if (SDL_SetRelativeMouseMode(hold ? SDL_TRUE : SDL_FALSE) != 0)
    {
        // Without it the mouse still reads motion over its window.
        log("SDL relative mouse mode unavailable: %s\n", SDL_GetError());
        if (hold)
            releasePointer(m_window);
        m_pointerRefused = true;
        m_holdsPointer = false;
        return;
    }
    // Wayland does not let programs move the pointer; it stays where it was.
    if (!hold)
        SDL_WarpMouseGlobal(m_pointerX, m_pointerY);
    m_holdsPointer = hold;
    // Motion queued before is pointer motion, not the device's.
    _clearPending();
}

void CSdlMouse::_clearPending()
{
    m_pendingX = 0;
    m_pendingY = 0;
    m_pendingWheel = 0.0f;
}

} // namespace Engine
} // namespace Tavrin
