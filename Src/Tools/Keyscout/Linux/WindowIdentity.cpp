#include "Tools/Keyscout/Linux/WindowIdentity.h"

#include "KeyscoutIconPixels.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

#include <cstdlib>

static_assert(sizeof(C_KEYSCOUT_ICON_RGBA) == 4 * C_PROGRAM_ICON_SIZE * C_PROGRAM_ICON_SIZE,
              "the icon's pixels are RGBA, C_PROGRAM_ICON_SIZE square");

namespace {

void setSdlIcon(SDL_Window* window)
{
    // NOTE: R, G, B, A bytes in memory order are what SDL calls ABGR8888 on
    // a little-endian machine; SDL_PIXELFORMAT_RGBA32 names them on both.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<unsigned char*>(C_KEYSCOUT_ICON_RGBA), C_PROGRAM_ICON_SIZE, C_PROGRAM_ICON_SIZE, 32,
        4 * C_PROGRAM_ICON_SIZE, SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

void setX11Class(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    // SDL names both parts alike; a desktop matches the class.
    XClassHint hint;
    hint.res_name = const_cast<char*>(C_PROGRAM_INSTANCE);
    hint.res_class = const_cast<char*>(C_PROGRAM_CLASS);
    XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
    XFlush(info.info.x11.display);
}

} // namespace

void setProgramIdentity()
{
    // Read when SDL's video starts.
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", C_PROGRAM_INSTANCE, 0);
}

const unsigned char* getProgramIconPixels()
{
    return C_KEYSCOUT_ICON_RGBA;
}

void markDetectionWindow(void* sdlWindow)
{
    if (!sdlWindow)
        return;
    SDL_Window* window = static_cast<SDL_Window*>(sdlWindow);
    setSdlIcon(window);
    setX11Class(window);
}
