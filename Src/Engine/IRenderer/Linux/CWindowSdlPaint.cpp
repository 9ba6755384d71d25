#include "Engine/IRenderer/Linux/CWindowSdl.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IRenderer/Linux/SdlPrompt.h"

#include <SDL.h>

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

// The Windows window class's brush: system colour 11 (inactive border), as
// Windows' default scheme sets it.
const uint8_t C_BACKGROUND_RED = 244;
const uint8_t C_BACKGROUND_GREEN = 247;
const uint8_t C_BACKGROUND_BLUE = 252;
// Windows' window text colour. Where a compositor draws no title bar, the
// title written inside says what to do.
const uint8_t C_TEXT_LEVEL = 0;

// SDL 2 would back the window surface of an X11 window with a GL texture
// when it can, loading the whole GL stack for a flat colour; the X server's
// shared-memory image does the job. Wayland has no such path in SDL 2 (it
// crashes when told not to use the texture), so it keeps its GL ES one.
void chooseSurfaceBacking()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && strcmp(driver, "x11") == 0)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

} // namespace

// A compositor shows a window only once it has presented a frame, and an
// X server leaves an unpainted window's area as it was: the client area is
// painted, with the title as a prompt, whenever the system may have lost it.
void CWindowSdl::_paint()
{
    // A window with a swap chain is drawn by its renderer.
    if (m_closed || m_swapChain)
        return;
    chooseSurfaceBacking();
    SDL_Surface* surface = SDL_GetWindowSurface(_window());
    if (!surface)
    {
        logLevel(2, "Warning: Cannot paint the window '%s': %s\n", m_title.c_str(), SDL_GetError());
        return;
    }
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, C_BACKGROUND_RED, C_BACKGROUND_GREEN, C_BACKGROUND_BLUE));
    drawPrompt(surface, m_title.c_str(), SDL_MapRGB(surface->format, C_TEXT_LEVEL, C_TEXT_LEVEL, C_TEXT_LEVEL));
    if (SDL_UpdateWindowSurface(_window()) != 0)
        logLevel(2, "Warning: Cannot present the window '%s': %s\n", m_title.c_str(), SDL_GetError());
}

} // namespace Engine
} // namespace Tavrin
