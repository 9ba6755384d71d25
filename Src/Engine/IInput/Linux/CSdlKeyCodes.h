#pragma once

#include "Engine/IInput/Linux/CSdlKeyboardLayout.h"
#include "Engine/IInput/TKeyCode.h"

#include <SDL_scancode.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// SDL keys to the key codes the Windows keyboard path gives the same
// physical key: Windows virtual-key numbers, left and right modifiers apart,
// keypad keys whatever the Num Lock state, keypad Return 261.
class CSdlKeyCodes
{
public:
    // The main block's character keys follow the layout of that group
    // (CSdlKeyboardLayout::active); every other key goes by position.
    // C_KEY_NONE for a key Windows has no code for.
    static TKeyCode convert(SDL_Scancode scancode, uint32_t group = CSdlKeyboardLayout::C_SDL_GROUP);
    // The code of the key at this position on a US keyboard.
    static TKeyCode byPosition(SDL_Scancode scancode);
    // The physical key of a Linux input code (an X key code less 8), and
    // back; SDL_SCANCODE_UNKNOWN and 0 for keys without a name.
    static SDL_Scancode fromEvdev(uint32_t evdev);
    static uint32_t evdevOf(SDL_Scancode scancode);
};

} // namespace Engine
} // namespace Tavrin
