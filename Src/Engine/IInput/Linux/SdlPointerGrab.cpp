#include "Engine/IInput/Linux/SdlPointerGrab.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace Tavrin {
namespace Engine {

namespace {

bool x11Window(void* sdlWindow, SDL_SysWMinfo& info)
{
    SDL_VERSION(&info.version);
    return sdlWindow && SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) &&
           info.subsystem == SDL_SYSWM_X11;
}

} // namespace

bool grabPointerAtOnce(void* sdlWindow)
{
    SDL_SysWMinfo info;
    if (!x11Window(sdlWindow, info))
        return true;
    // SDL's events; not yet confined to the window: SDL's grab does that,
    // and only once relative mode is really on.
    const unsigned int events = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    return XGrabPointer(info.info.x11.display, info.info.x11.window, True, events, GrabModeAsync, GrabModeAsync, None,
                        None, CurrentTime) == GrabSuccess;
}

void releasePointer(void* sdlWindow)
{
    SDL_SysWMinfo info;
    if (!x11Window(sdlWindow, info))
        return;
    XUngrabPointer(info.info.x11.display, CurrentTime);
    XFlush(info.info.x11.display);
}

} // namespace Engine
} // namespace Tavrin
