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

} // namespace Engine
} // namespace Tavrin
