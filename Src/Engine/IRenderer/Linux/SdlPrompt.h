#pragma once

#include <SDL_rect.h>
#include <SDL_surface.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A small built-in 5 x 7 font, its dots drawn `scale` pixels wide, in a
// mapped colour. Characters outside printable ASCII show as '?'.
int promptTextWidth(const char* text, uint32_t length, int scale);
int promptTextHeight(int scale);
// `length` bytes of text with its top left corner at (x, y).
void drawPromptText(SDL_Surface* surface, int x, int y, const char* text, uint32_t length, int scale, uint32_t colour);
// Writes `text` centred in the area, twice its size when that fits.
void drawPrompt(SDL_Surface* surface, const SDL_Rect& area, const char* text, uint32_t colour);

} // namespace Engine
} // namespace Tavrin
