#include "Engine/IInput/Linux/SdlLayoutCharacters.h"

#include "Engine/IInput/Linux/CSdlEventPump.h"
#include "Engine/IInput/Linux/CSdlKeyCodes.h"
#include "Engine/IInput/Linux/CSdlKeyboardLayout.h"

#include <SDL_keyboard.h>

namespace Tavrin {
namespace Engine {

namespace {

// An X key code is the Linux input code plus 8.
const uint32_t C_X_KEYCODE_OFFSET = 8;

SDL_Keycode digitOf(SDL_Scancode scancode)
{
    return scancode == SDL_SCANCODE_0 ? SDLK_0 : SDLK_1 + (scancode - SDL_SCANCODE_1);
}

} // namespace

void readLayoutCharacters(uint32_t group, SDL_Keycode* characters)
{
    const CSdlX11Connection& x11 = CSdlEventPump::get().getX11();
    bool fromServer = group != CSdlKeyboardLayout::C_SDL_GROUP && x11.isAttached();
    for (uint32_t i = 0; i < CSdlKeyboardLayout::C_KEY_COUNT; ++i)
    {
        SDL_Scancode scancode = CSdlKeyboardLayout::C_SCANCODES[i];
        if (!fromServer)
            characters[i] = SDL_GetKeyFromScancode(scancode);
        else if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0)
            characters[i] = digitOf(scancode);
        else
            characters[i] = static_cast<SDL_Keycode>(
                x11.characterOf(CSdlKeyCodes::evdevOf(scancode) + C_X_KEYCODE_OFFSET, group));
    }
}

// The layout in use and the conversion through it live beside the reading of
// the keymap, so that the layout and key-code classes build without SDL's and
// the X server's state (the fuzz target builds them so).
const CSdlKeyboardLayout& CSdlKeyboardLayout::active(uint32_t group)
{
    // The characters are compared at every press rather than the layout
    // rebuilt on a change: a group switch changes no keymap.
    static CSdlKeyboardLayout s_layout;
    SDL_Keycode characters[C_KEY_COUNT];
    readLayoutCharacters(group, characters);
    if (!s_layout.isFor(characters))
        s_layout = CSdlKeyboardLayout(characters);
    return s_layout;
}

TKeyCode CSdlKeyCodes::convert(SDL_Scancode scancode, uint32_t group)
{
    TKeyCode code = CSdlKeyboardLayout::active(group).codeOf(scancode);
    return code != C_KEY_NONE ? code : byPosition(scancode);
}

} // namespace Engine
} // namespace Tavrin
