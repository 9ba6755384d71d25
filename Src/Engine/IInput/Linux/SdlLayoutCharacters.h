#pragma once

#include <SDL_keycode.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The unshifted characters of CSdlKeyboardLayout::C_SCANCODES's keys, in that
// order, under one XKB group of the keymap in use, in the form SDL's keymap
// gives them (the digit row as digits, whatever it types). Under X11 they
// come from the server's keymap: SDL's follows neither the group nor, for
// keys whose symbol it took for a position, the physical key.
// CSdlKeyboardLayout::C_SDL_GROUP reads SDL's keymap.
void readLayoutCharacters(uint32_t group, SDL_Keycode* characters);

} // namespace Engine
} // namespace Tavrin
