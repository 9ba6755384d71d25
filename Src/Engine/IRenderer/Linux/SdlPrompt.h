#pragma once

#include <SDL_surface.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Writes `text` centred on the surface in a small built-in 5 x 7 font, twice
// its size when that fits, in the given mapped colour. Characters outside
// printable ASCII show as '?'.
void drawPrompt(SDL_Surface* surface, const char* text, uint32_t colour);

} // namespace Engine
} // namespace Tavrin
