#pragma once

#include "Engine/IInput/TKeyCode.h"

#include <SDL_scancode.h>

namespace Tavrin {
namespace Engine {

// SDL keys to the key codes the Windows keyboard path gives the same
// physical key: Windows virtual-key numbers, left and right modifiers apart,
// keypad keys whatever the Num Lock state, keypad Return 261.
class CSdlKeyCodes
{
public:
    // The main block's character keys follow the active layout
    // (CSdlKeyboardLayout); every other key goes by position. C_KEY_NONE for
    // a key Windows has no code for.
    static TKeyCode convert(SDL_Scancode scancode);
    // The code of the key at this position on a US keyboard.
    static TKeyCode byPosition(SDL_Scancode scancode);
};

} // namespace Engine
} // namespace Tavrin
