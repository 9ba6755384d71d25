#include "Engine/IRenderer/Linux/CWindowSdl.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IRenderer/CTextFlow.h"
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
// With a status text the prompt keeps this band at the top, the status the
// rest, in dots of two pixels or, when that does not fit, of one.
const int C_PROMPT_BAND = 32;
const int C_STATUS_MARGIN = 4;
const int C_STATUS_SCALES[] = {2, 1};
const uint32_t C_STATUS_SIZE_COUNT = 2;

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

bool isWaylandVideo()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && strcmp(driver, "wayland") == 0;
}

// Halfway between the text and the background: readable, yet plainly fainter.
uint32_t dimmedColour(const SDL_PixelFormat* format)
{
    return SDL_MapRGB(format, (C_TEXT_LEVEL + C_BACKGROUND_RED) / 2, (C_TEXT_LEVEL + C_BACKGROUND_GREEN) / 2,
                      (C_TEXT_LEVEL + C_BACKGROUND_BLUE) / 2);
}

void drawStatus(SDL_Surface* surface, const SDL_Rect& area, const CArray<SWindowTextSegment>& segments, uint32_t colour)
{
    // With the space after the last character, so that pieces put side by
    // side are spaced as one text.
    CTextFlow::TMeasure measure = [](uint32_t size, const char* text, uint32_t length) {
        int width = promptTextWidth(text, length, C_STATUS_SCALES[size]);
        return width == 0 ? 0 : width + C_STATUS_SCALES[size];
    };
    auto lineHeight = [](uint32_t size) { return promptTextHeight(C_STATUS_SCALES[size]) + 2 * C_STATUS_SCALES[size]; };
    CTextFlow::SLayout layout = CTextFlow::fit(segments, area.w, area.h, C_STATUS_SIZE_COUNT, measure, lineHeight);
    int scale = C_STATUS_SCALES[layout.size];
    uint32_t dimmed = dimmedColour(surface->format);
    int y = area.y;
    for (const CTextFlow::SLine& line : layout.lines)
    {
        int left = area.x + (area.w - line.width) / 2;
        for (const CTextFlow::SPiece& piece : line.pieces)
        {
            const SWindowTextSegment& segment = segments[piece.segment];
            drawPromptText(surface, left + piece.x, y, segment.text.c_str() + piece.begin, piece.length, scale,
                           segment.dimmed ? dimmed : colour);
        }
        y += lineHeight(layout.size);
    }
}

} // namespace

// A compositor shows a window only once it has presented a frame, and an
// X server leaves an unpainted window's area as it was: the client area is
// painted, with the title as a prompt and the status text under it, whenever
// the system may have lost it or the text changed.
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
    uint32_t colour = SDL_MapRGB(surface->format, C_TEXT_LEVEL, C_TEXT_LEVEL, C_TEXT_LEVEL);
    SDL_Rect whole = {0, 0, surface->w, surface->h};
    if (m_statusText.getCount() == 0)
    {
        drawPrompt(surface, whole, m_title.c_str(), colour);
    }
    else
    {
        SDL_Rect band = {0, 0, surface->w, C_PROMPT_BAND};
        SDL_Rect status = {C_STATUS_MARGIN, C_PROMPT_BAND, surface->w - 2 * C_STATUS_MARGIN,
                           surface->h - C_PROMPT_BAND - C_STATUS_MARGIN};
        drawPrompt(surface, band, m_title.c_str(), colour);
        drawStatus(surface, status, m_statusText, colour);
    }
    if (SDL_UpdateWindowSurface(_window()) != 0)
        logLevel(2, "Warning: Cannot present the window '%s': %s\n", m_title.c_str(), SDL_GetError());
}

// HACK: SDL 2.26 on Wayland (libdecor frames, seen with weston) crashes in
// the next window's creation once a window has presented a frame after its
// first configure; there the status text waits for a repaint the compositor
// asks for.
void CWindowSdl::_showStatusText()
{
    if (!isWaylandVideo())
        _paint();
}

} // namespace Engine
} // namespace Tavrin
