#include "Engine/IInput/Linux/CSdlKeyboardLayout.h"
#include "Engine/IInput/Linux/CWindowsKeyboardTable.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

const uint32_t C_KEYS = CSdlKeyboardLayout::C_KEY_COUNT;

// A layout's unshifted characters in CSdlKeyboardLayout::C_SCANCODES order,
// written as UTF-8; '~' marks a dead key, which SDL's X11 backend reports
// as an unknown key.
std::vector<SDL_Keycode> characters(const std::string& text)
{
    std::vector<SDL_Keycode> keys;
    for (size_t i = 0; i < text.size();)
    {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        SDL_Keycode key = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        for (int k = 1; k < length; ++k)
            key = (key << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        keys.push_back(key == '~' ? SDLK_SCANCODE_MASK : key);
        i += length;
    }
    return keys;
}

// Windows' US virtual keys of the character keys (its virtual-key list).
std::map<SDL_Scancode, int> usCodes()
{
    std::map<SDL_Scancode, int> codes;
    const char* const C_US = "`1234567890-=qwertyuiop[]asdfghjkl;'\\<zxcvbnm,./";
    const std::map<char, int> punctuation = {{'`', 0xC0}, {'-', 0xBD}, {'=', 0xBB}, {'[', 0xDB}, {']', 0xDD},
                                             {';', 0xBA}, {'\'', 0xDE}, {'\\', 0xDC}, {'<', 0xE2}, {',', 0xBC},
                                             {'.', 0xBE}, {'/', 0xBF}};
    for (uint32_t i = 0; i < C_KEYS; ++i)
    {
        char c = C_US[i];
        codes[CSdlKeyboardLayout::C_SCANCODES[i]] = (c >= 'a' && c <= 'z') ? c - 'a' + 'A'
                                                    : (c >= '0' && c <= '9') ? c
                                                                              : punctuation.at(c);
    }
    return codes;
}

// What each key types under an XKB layout, as SDL's X11 backend reports it:
// a key typing no character gives its scancode with the scancode bit.
std::vector<SDL_Keycode> xkbCharacters(xkb_context* context, const std::string& layout)
{
    // The keys' X key codes: their PC scan codes + 8.
    static const uint32_t C_X_KEYCODES[C_KEYS] = {49, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 24, 25, 26,
                                                  27, 28, 29, 30, 31, 32, 33, 34, 35, 38, 39, 40, 41, 42, 43, 44,
                                                  45, 46, 47, 48, 51, 94, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61};
    size_t open = layout.find('(');
    std::string name = layout.substr(0, open);
    std::string variant = open == std::string::npos ? "" : layout.substr(open + 1, layout.size() - open - 2);
    xkb_rule_names names = {"evdev", "pc105", name.c_str(), variant.c_str(), nullptr};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    std::vector<SDL_Keycode> keys;
    for (uint32_t i = 0; keymap != nullptr && i < C_KEYS; ++i)
    {
        const xkb_keysym_t* symbols = nullptr;
        int count = xkb_keymap_key_get_syms_by_level(keymap, C_X_KEYCODES[i], 0, 0, &symbols);
        uint32_t character = count > 0 ? xkb_keysym_to_utf32(symbols[0]) : 0;
        keys.push_back(character != 0 ? static_cast<SDL_Keycode>(character)
                                      : SDL_SCANCODE_TO_KEYCODE(CSdlKeyboardLayout::C_SCANCODES[i]));
    }
    xkb_keymap_unref(keymap);
    return keys;
}

struct SLayout
{
    const char* name;
    const char* characters;
    // Codes that differ from the US ones, by position.
    std::map<SDL_Scancode, int> changes;
};

// us, de, fr, us dvorak and ru: Windows' own tables (the US codes with
// KBDGR's, KBDFR's, KBDDV's and KBDRU's changes). The others: what the rule
// gives, worked out by hand.
const std::vector<SLayout>& layouts()
{
    static const std::vector<SLayout> C_LAYOUTS = {
        {"us", "`1234567890-=qwertyuiop[]asdfghjkl;'\\<zxcvbnm,./", {}},
        {"de", "~1234567890ß~qwertzuiopü+asdfghjklöä#<yxcvbnm,.-",
         {{SDL_SCANCODE_GRAVE, 0xDC}, {SDL_SCANCODE_MINUS, 0xDB}, {SDL_SCANCODE_EQUALS, 0xDD},
          {SDL_SCANCODE_Y, 'Z'}, {SDL_SCANCODE_LEFTBRACKET, 0xBA}, {SDL_SCANCODE_RIGHTBRACKET, 0xBB},
          {SDL_SCANCODE_BACKSLASH, 0xBF}, {SDL_SCANCODE_SEMICOLON, 0xC0}, {SDL_SCANCODE_Z, 'Y'},
          {SDL_SCANCODE_SLASH, 0xBD}}},
        // The same layout with plain accents instead of dead keys.
        {"de nodeadkeys", "^1234567890ß´qwertzuiopü+asdfghjklöä#<yxcvbnm,.-",
         {{SDL_SCANCODE_GRAVE, 0xDC}, {SDL_SCANCODE_MINUS, 0xDB}, {SDL_SCANCODE_EQUALS, 0xDD},
          {SDL_SCANCODE_Y, 'Z'}, {SDL_SCANCODE_LEFTBRACKET, 0xBA}, {SDL_SCANCODE_RIGHTBRACKET, 0xBB},
          {SDL_SCANCODE_BACKSLASH, 0xBF}, {SDL_SCANCODE_SEMICOLON, 0xC0}, {SDL_SCANCODE_Z, 'Y'},
          {SDL_SCANCODE_SLASH, 0xBD}}},
        {"fr", "²1234567890)=azertyuiop~$qsdfghjklmù*<wxcvbn,;:!",
         {{SDL_SCANCODE_GRAVE, 0xDE}, {SDL_SCANCODE_MINUS, 0xDB}, {SDL_SCANCODE_Q, 'A'}, {SDL_SCANCODE_W, 'Z'},
          {SDL_SCANCODE_LEFTBRACKET, 0xDD}, {SDL_SCANCODE_RIGHTBRACKET, 0xBA}, {SDL_SCANCODE_A, 'Q'},
          {SDL_SCANCODE_SEMICOLON, 'M'}, {SDL_SCANCODE_APOSTROPHE, 0xC0}, {SDL_SCANCODE_Z, 'W'},
          {SDL_SCANCODE_M, 0xBC}, {SDL_SCANCODE_COMMA, 0xBE}, {SDL_SCANCODE_PERIOD, 0xBF},
          {SDL_SCANCODE_SLASH, 0xDF}}},
        {"us dvorak", "`1234567890[]',.pyfgcrl/=aoeuidhtns-\\<;qjkxbmwvz",
         {{SDL_SCANCODE_MINUS, 0xDB}, {SDL_SCANCODE_EQUALS, 0xDD}, {SDL_SCANCODE_Q, 0xDE}, {SDL_SCANCODE_W, 0xBC},
          {SDL_SCANCODE_E, 0xBE}, {SDL_SCANCODE_R, 'P'}, {SDL_SCANCODE_T, 'Y'}, {SDL_SCANCODE_Y, 'F'},
          {SDL_SCANCODE_U, 'G'}, {SDL_SCANCODE_I, 'C'}, {SDL_SCANCODE_O, 'R'}, {SDL_SCANCODE_P, 'L'},
          {SDL_SCANCODE_LEFTBRACKET, 0xBF}, {SDL_SCANCODE_RIGHTBRACKET, 0xBB}, {SDL_SCANCODE_S, 'O'},
          {SDL_SCANCODE_D, 'E'}, {SDL_SCANCODE_F, 'U'}, {SDL_SCANCODE_G, 'I'}, {SDL_SCANCODE_H, 'D'},
          {SDL_SCANCODE_J, 'H'}, {SDL_SCANCODE_K, 'T'}, {SDL_SCANCODE_L, 'N'}, {SDL_SCANCODE_SEMICOLON, 'S'},
          {SDL_SCANCODE_APOSTROPHE, 0xBD}, {SDL_SCANCODE_Z, 0xBA}, {SDL_SCANCODE_X, 'Q'}, {SDL_SCANCODE_C, 'J'},
          {SDL_SCANCODE_V, 'K'}, {SDL_SCANCODE_B, 'X'}, {SDL_SCANCODE_N, 'B'}, {SDL_SCANCODE_COMMA, 'W'},
          {SDL_SCANCODE_PERIOD, 'V'}, {SDL_SCANCODE_SLASH, 'Z'}}},
        // ı and i no longer share I; ',' sits right of the middle row.
        {"tr", "\"1234567890*-qwertyuıopğüasdfghjklşi,<zxcvbnmöç.",
         {{SDL_SCANCODE_GRAVE, 0xC0}, {SDL_SCANCODE_MINUS, 0xBB}, {SDL_SCANCODE_EQUALS, 0xBD},
          {SDL_SCANCODE_I, 0xBF}, {SDL_SCANCODE_APOSTROPHE, 'I'}, {SDL_SCANCODE_BACKSLASH, 0xBC},
          {SDL_SCANCODE_COMMA, 0xDC}, {SDL_SCANCODE_PERIOD, 0xDE}, {SDL_SCANCODE_SLASH, 0xBE}}},
        {"ru", "ё1234567890-=йцукенгшщзхъфывапролджэ\\/ячсмитьбю.", {}},
        // No Latin letters and no table (ґ): every letter key keeps its position's letter.
        {"ua", "'1234567890-=йцукенгшщзхїфівапролджєґ/ячсмитьбю.",
         {{SDL_SCANCODE_PERIOD, 0xBF}, {SDL_SCANCODE_SLASH, 0xBE}}},
        // Nothing known about the keys (SDL before it has a keymap).
        {"none", "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~", {}},
    };
    return C_LAYOUTS;
}

} // namespace

// Each layout's codes, key by key.
TEST(CSdlKeyboardLayoutTest, LayoutsGiveTheirWholeTables)
{
    for (const SLayout& layout : layouts())
    {
        std::vector<SDL_Keycode> keys = characters(layout.characters);
        ASSERT_EQ(keys.size(), C_KEYS) << layout.name;
        CSdlKeyboardLayout table(keys.data());
        std::map<SDL_Scancode, int> expected = usCodes();
        for (const auto& change : layout.changes)
            expected[change.first] = change.second;
        for (const auto& key : expected)
            EXPECT_EQ(table.codeOf(key.first), key.second) << layout.name << " " << SDL_GetScancodeName(key.first);
        EXPECT_TRUE(table.isFor(keys.data())) << layout.name;
    }
}

// The rule's promises, on the layouts above and on made-up ones that push
// it: every key typing one letter, letters and '+' on the digit row, every
// key typing a character of another key's position.
TEST(CSdlKeyboardLayoutTest, NoTwoKeysShareACodeAndLettersFollowTheLayout)
{
    std::vector<std::string> texts = {
        "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
        "+abcdefghij,.qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqq",
        "/`1234567890-=[]\\;',.zxcvbnm<asdfghjklqwertyuiop",
        "p`1234567890-=[]\\;',.zxcvbnm<asdfghjklqwertyuio/",
        // us dvorak-l: its digit row types letters and punctuation, which SDL
        // reports as digits.
        "`123456789021;qbyurso.65=-kcdthaez87\\<'xgvwni,09",
    };
    for (const SLayout& layout : layouts())
        texts.push_back(layout.characters);
    for (const std::string& text : texts)
    {
        std::vector<SDL_Keycode> keys = characters(text);
        ASSERT_EQ(keys.size(), C_KEYS) << text;
        CSdlKeyboardLayout table(keys.data());
        std::set<int> codes;
        std::map<SDL_Keycode, int> keysTyping;
        for (uint32_t i = 0; i < C_KEYS; ++i)
            ++keysTyping[keys[i]];
        for (uint32_t i = 0; i < C_KEYS; ++i)
        {
            SDL_Scancode scancode = CSdlKeyboardLayout::C_SCANCODES[i];
            int code = table.codeOf(scancode);
            EXPECT_NE(code, C_KEY_NONE) << text << " key " << i;
            EXPECT_TRUE(codes.insert(code).second) << text << " key " << i << " repeats " << code;
            bool digitRow = scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0;
            if (digitRow)
            {
                EXPECT_EQ(code, scancode == SDL_SCANCODE_0 ? '0' : '1' + scancode - SDL_SCANCODE_1) << text;
            }
            else if (keys[i] >= 'a' && keys[i] <= 'z' && keysTyping[keys[i]] == 1)
            {
                EXPECT_EQ(code, keys[i] - 'a' + 'A') << text << " key " << i;
            }
        }
    }
    EXPECT_EQ(CSdlKeyboardLayout(characters(layouts()[0].characters).data()).codeOf(SDL_SCANCODE_F1), C_KEY_NONE);
}

// Layouts as XKB types them, each given its Windows table (or none: the
// general rule) key by key; then every table from its own characters.
TEST(CSdlKeyboardLayoutTest, WindowsTablesKeyByKey)
{
    const std::vector<std::pair<std::string, const char*>> C_LAYOUTS = {
        {"us", "KBDUS"}, {"gb", "KBDUK"}, {"us(dvorak)", "KBDDV"}, {"us(intl)", "KBDUSX"}, {"de", "KBDGR"},
        {"de(nodeadkeys)", "KBDGR"}, {"at", "KBDGR"}, {"ch", "KBDSG"}, {"ch(fr)", "KBDSF"}, {"fr", "KBDFR"},
        {"be", "KBDBE"}, {"es", "KBDSP"}, {"pt", "KBDPO"}, {"br", "KBDBR"}, {"it", "KBDIT"}, {"dk", "KBDDA"},
        {"no", "KBDNO"}, {"se", "KBDFI"}, {"fi", "KBDFI"}, {"gr", "KBDHE"}, {"ru", "KBDRU"}, {"by", "KBDBLR"},
        {"ara", "KBDA1"}, {"lt", "KBDLT1"}, {"pl", "KBDUS"}, {"lv", "KBDUS"}, {"ro", "KBDUS"},
        {"ca(fr-legacy)", nullptr}, {"latam", nullptr}, {"nl", nullptr}, {"is", nullptr}, {"cz", nullptr},
        {"sk", nullptr}, {"hu", nullptr}, {"si", nullptr}, {"hr", nullptr}, {"tr", nullptr}, {"tr(f)", nullptr},
        {"rs", nullptr}, {"bg", nullptr}, {"il", nullptr}, {"ir", nullptr}, {"ee", nullptr}, {"ua", nullptr},
    };
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    struct SCase
    {
        std::string name;
        std::vector<SDL_Keycode> keys;
        const char* table;
    };
    std::vector<SCase> cases;
    for (const auto& layout : C_LAYOUTS)
        cases.push_back({layout.first, xkbCharacters(context, layout.first), layout.second});
    xkb_context_unref(context);
    for (uint32_t t = 0; t < CWindowsKeyboardTable::count(); ++t)
    {
        std::vector<SDL_Keycode> keys;
        for (uint32_t i = 0; i < C_KEYS; ++i)
            keys.push_back(CWindowsKeyboardTable::at(t).character(i) == CWindowsKeyboardTable::C_NO_CHARACTER
                               ? SDL_SCANCODE_TO_KEYCODE(CSdlKeyboardLayout::C_SCANCODES[i])
                               : static_cast<SDL_Keycode>(CWindowsKeyboardTable::at(t).character(i)));
        cases.push_back({CWindowsKeyboardTable::at(t).name(), keys, CWindowsKeyboardTable::at(t).name()});
    }
    std::map<SDL_Scancode, int> us = usCodes();
    for (const auto& test : cases)
    {
        ASSERT_EQ(test.keys.size(), C_KEYS) << test.name;
        CSdlKeyboardLayout layout(test.keys.data());
        EXPECT_STREQ(layout.windowsTable(), test.table) << test.name;
        const CWindowsKeyboardTable* table = nullptr;
        for (uint32_t t = 0; t < CWindowsKeyboardTable::count(); ++t)
            table = CWindowsKeyboardTable::at(t).name() == layout.windowsTable() ? &CWindowsKeyboardTable::at(t) : table;
        for (uint32_t i = 0; table != nullptr && i < C_KEYS; ++i)
        {
            SDL_Scancode scancode = CSdlKeyboardLayout::C_SCANCODES[i];
            int code = table->code(i) == C_KEY_NONE ? us.at(scancode) : table->code(i);
            EXPECT_EQ(layout.codeOf(scancode), code) << test.name << " " << SDL_GetScancodeName(scancode);
            // Off the digit row, a key typing a Latin letter has that letter's code.
            bool latin = test.keys[i] >= 'a' && test.keys[i] <= 'z' && (i < 1 || i > 10);
            EXPECT_TRUE(!latin || code == test.keys[i] - 'a' + 'A') << test.name << " " << SDL_GetScancodeName(scancode);
        }
    }
}
