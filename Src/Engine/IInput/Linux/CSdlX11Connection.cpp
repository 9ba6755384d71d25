#include "Engine/IInput/Linux/CSdlX11Connection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>

namespace Tavrin {
namespace Engine {

bool CSdlX11Connection::attach(uint32_t windowId)
{
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    m_display = info.info.x11.display;
    return true;
}

bool CSdlX11Connection::hasInput() const
{
    Display* display = static_cast<Display*>(m_display);
    // Replies read during other requests may have brought events along.
    if (XEventsQueued(display, QueuedAlready) > 0)
        return true;
    pollfd socket = {ConnectionNumber(display), POLLIN, 0};
    return poll(&socket, 1, 0) != 0;
}

} // namespace Engine
} // namespace Tavrin
