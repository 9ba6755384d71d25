#pragma once

#include "Engine/IInput/TKeyCode.h"

#include <SDL_keycode.h>
#include <SDL_scancode.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CWindowsKeyboardTable;

// The key codes of the main block's character keys under one keyboard
// layout, as Windows gives them: letters follow the layout, the digit row
// keeps its digits, `+ , - .` follow the character, and every other key
// keeps the code of its position unless one of those took it. Layouts whose
// Windows table is known give exactly that table. No two keys share a code.
class CSdlKeyboardLayout
{
public:
    // The character keys, row by row: the key left of 1, the digit row and
    // the two keys after it, the three letter rows with their punctuation,
    // the key right of the middle row and the key left of Z.
    static const uint32_t C_KEY_COUNT = 48;
    static const SDL_Scancode C_SCANCODES[C_KEY_COUNT];

    // characters: each key's unshifted character (an SDL keycode), in
    // C_SCANCODES order.
    explicit CSdlKeyboardLayout(const SDL_Keycode* characters);

    // A group that stands for the one SDL's own keymap follows (Wayland:
    // the compositor's; X11: the group active when SDL read the keymap).
    static const uint32_t C_SDL_GROUP = 0xFFFFFFFF;

    // The layout of that group (an XKB group) of the keymap in use now;
    // rebuilt whenever its characters changed.
    static const CSdlKeyboardLayout& active(uint32_t group = C_SDL_GROUP);

    // C_KEY_NONE for a key that is not one of the character keys.
    TKeyCode codeOf(SDL_Scancode scancode) const;
    bool isFor(const SDL_Keycode* characters) const;
    // The name of the Windows table the layout was matched to ("KBDGR"), or
    // nullptr when the general rule gave the codes.
    const char* windowsTable() const;

private:
    CSdlKeyboardLayout();
    bool _applyKnownTable();
    void _applyRule();
    void _claimDigits(bool* taken);
    void _claimCharacters(bool* taken, bool inPlaceOnly);
    void _keepPositions(bool* taken);
    void _placeDisplaced(bool* taken);

    SDL_Keycode m_characters[C_KEY_COUNT];
    TKeyCode m_codes[C_KEY_COUNT];
    const CWindowsKeyboardTable* m_table;
};

} // namespace Engine
} // namespace Tavrin
