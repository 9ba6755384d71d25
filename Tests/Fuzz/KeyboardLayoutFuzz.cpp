// Keyboard layouts from arbitrary keymaps: no two keys share a code, the
// digit row gives digits (or a matched Windows table gives its own codes),
// and a letter typed by one key only gives that key the letter's code.
#include "Engine/IInput/Linux/CSdlKeyboardLayout.h"
#include "Engine/IInput/Linux/CWindowsKeyboardTable.h"
#include "FuzzSupport.h"

#include <cstdint>
#include <set>

using namespace Tavrin::Engine;

namespace {

const uint32_t C_KEYS = CSdlKeyboardLayout::C_KEY_COUNT;

// Two bytes per key: what kind of character, and which. Kinds favour what
// real keymaps hold: letters, digits, punctuation, other scripts, a table's
// character, repeats and keys typing nothing.
SDL_Keycode character(uint32_t key, uint8_t kind, uint8_t which, SDL_Keycode previous)
{
    static const char32_t C_SCRIPTS[] = {0x3B1, 0x430, 0x5D0, 0x627, 0xE0, 0x100, 0x531, 0x10D0};
    switch (kind % 8)
    {
    case 0:
        return SDL_SCANCODE_TO_KEYCODE(CSdlKeyboardLayout::C_SCANCODES[key]);
    case 1:
        return 'a' + which % 26;
    case 2:
        return '0' + which % 10;
    case 3:
        return 0x21 + which % 94;
    case 4:
        return C_SCRIPTS[which % 8] + which / 8;
    case 5:
        return static_cast<SDL_Keycode>(
            CWindowsKeyboardTable::at(which % CWindowsKeyboardTable::count()).character(key));
    case 6:
        return previous;
    default:
        return (static_cast<SDL_Keycode>(kind) << 8 | which) * 0x101;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SDL_Keycode keys[C_KEYS];
    for (uint32_t i = 0; i < C_KEYS; ++i)
    {
        uint8_t kind = 2 * i < size ? data[2 * i] : 5;
        uint8_t which = 2 * i + 1 < size ? data[2 * i + 1] : 0;
        keys[i] = character(i, kind, which, i > 0 ? keys[i - 1] : 0);
    }
    CSdlKeyboardLayout layout(keys);
    const CWindowsKeyboardTable* table = nullptr;
    for (uint32_t t = 0; t < CWindowsKeyboardTable::count(); ++t)
        table = CWindowsKeyboardTable::at(t).name() == layout.windowsTable() ? &CWindowsKeyboardTable::at(t) : table;
    FUZZ_CHECK((table == nullptr) == (layout.windowsTable() == nullptr));
    std::set<TKeyCode> codes;
    for (uint32_t i = 0; i < C_KEYS; ++i)
    {
        TKeyCode code = layout.codeOf(CSdlKeyboardLayout::C_SCANCODES[i]);
        FUZZ_CHECK(code != C_KEY_NONE && codes.insert(code).second);
        bool digitRow = i >= 1 && i <= 10;
        if (table != nullptr && table->code(i) != C_KEY_NONE)
            FUZZ_CHECK(code == table->code(i));
        else if (digitRow)
            FUZZ_CHECK(code == static_cast<TKeyCode>('0' + i % 10));
        // Either case of a letter names the same key code.
        uint32_t typing = 0;
        for (uint32_t other = 0; other < C_KEYS; ++other)
            typing += keys[other] == keys[i] || keys[other] == keys[i] - 'a' + 'A';
        if (!digitRow && keys[i] >= 'a' && keys[i] <= 'z' && typing == 1)
            FUZZ_CHECK(code == static_cast<TKeyCode>(keys[i] - 'a' + 'A'));
    }
    return 0;
}
