#pragma once

#include "Engine/IInput/TKeyCode.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

// Turns raw keyboard records into key codes, telling left from right
// modifiers and the keypad from the separate navigation keys.
class CRawKeyboard
{
public:
    enum TTransition
    {
        C_TRANSITION_NONE,
        C_TRANSITION_PRESSED,
        C_TRANSITION_RELEASED
    };

    // The key code of a record, or C_KEY_NONE for a record to ignore.
    static TKeyCode convert(const RAWKEYBOARD& record);
    // Records a make or break of `code` in the held-key table (one entry per
    // key code). A make of a held key is an auto-repeat; a break of a key not
    // held is stale. Both are ignored.
    static TTransition track(bool* keyDown, TKeyCode code, bool isBreak);
};

} // namespace Engine
} // namespace Tavrin
