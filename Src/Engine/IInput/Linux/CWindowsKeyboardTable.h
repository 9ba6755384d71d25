#pragma once

#include "Engine/IInput/TKeyCode.h"

#include <SDL_keycode.h>

#include <cstddef>
#include <cstdint>

namespace Tavrin {
namespace Engine {

// One of Windows' own keyboard layout tables (WindowsKeyboardTables.inc):
// the virtual key of each of the main block's character keys, and the
// character each key types, by which a layout is recognised. Keys are
// numbered in CSdlKeyboardLayout::C_SCANCODES order.
class CWindowsKeyboardTable
{
public:
    static const uint32_t C_KEY_COUNT = 48;
    // A table's character for a dead key, a key typing nothing or a ligature.
    static const char32_t C_NO_CHARACTER = 0x25CC;

    // The table of the layout whose keys type these characters (each key's
    // unshifted character, as SDL keycodes), or nullptr. Every letter must
    // agree and all but a few other keys; a key typing no character (a dead
    // key, which backends report differently) agrees with anything but a
    // letter. The digit row is not compared: SDL reports digits there on
    // every layout.
    static const CWindowsKeyboardTable* match(const SDL_Keycode* characters);
    static uint32_t count();
    static const CWindowsKeyboardTable& at(uint32_t index);

    // Windows' name of the layout's table, "KBDGR".
    const char* name() const;
    char32_t character(uint32_t key) const;
    // C_KEY_NONE where the source gives the key no virtual key.
    TKeyCode code(uint32_t key) const;

private:
    static const CWindowsKeyboardTable C_TABLES[];

    // The strings' lengths are checked when the data is compiled.
    template <size_t CHARACTER_COUNT, size_t KEY_COUNT>
    CWindowsKeyboardTable(const char* name, const char32_t (&characters)[CHARACTER_COUNT],
                          const char (&keys)[KEY_COUNT]);
    // -1 when the characters cannot be this layout's; else the lower the
    // closer.
    int32_t _distance(const SDL_Keycode* characters) const;

    const char* m_name;
    const char32_t* m_characters;
    const char* m_keys;
};

} // namespace Engine
} // namespace Tavrin
