#include "Engine/IInput/Linux/CSdlKeyCodes.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <map>

using namespace Tavrin::Engine;

namespace {

// What the Windows raw keyboard path gives for each key of a US keyboard,
// from Windows' virtual-key list (decimal), keyed by SDL's (USB) scancode.
std::map<int, int> windowsCodesByPosition()
{
    std::map<int, int> codes;
    for (int i = 0; i < 26; ++i)
        codes[SDL_SCANCODE_A + i] = 'A' + i;
    for (int i = 0; i < 9; ++i)
        codes[SDL_SCANCODE_1 + i] = '1' + i;
    codes[SDL_SCANCODE_0] = '0';
    for (int i = 0; i < 12; ++i)
    {
        codes[SDL_SCANCODE_F1 + i] = 112 + i;
        codes[SDL_SCANCODE_F13 + i] = 124 + i;
    }
    for (int i = 0; i < 9; ++i)
        codes[SDL_SCANCODE_KP_1 + i] = 97 + i;
    const std::pair<int, int> others[] = {
        {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9},
        {SDL_SCANCODE_SPACE, 32}, {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_EQUALS, 187},
        {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_BACKSLASH, 220},
        {SDL_SCANCODE_NONUSHASH, 220}, {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_APOSTROPHE, 222},
        {SDL_SCANCODE_GRAVE, 192}, {SDL_SCANCODE_COMMA, 188}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191},
        {SDL_SCANCODE_NONUSBACKSLASH, 226}, {SDL_SCANCODE_CAPSLOCK, 20}, {SDL_SCANCODE_PRINTSCREEN, 44},
        {SDL_SCANCODE_SYSREQ, 44}, {SDL_SCANCODE_SCROLLLOCK, 145}, {SDL_SCANCODE_PAUSE, 19},
        {SDL_SCANCODE_INSERT, 45}, {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_DELETE, 46},
        {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_PAGEDOWN, 34}, {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_LEFT, 37},
        {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_UP, 38}, {SDL_SCANCODE_CLEAR, 12}, {SDL_SCANCODE_NUMLOCKCLEAR, 144},
        {SDL_SCANCODE_KP_DIVIDE, 111}, {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_MINUS, 109},
        {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_ENTER, 261}, {SDL_SCANCODE_KP_0, 96},
        {SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_LCTRL, 162}, {SDL_SCANCODE_LSHIFT, 160},
        {SDL_SCANCODE_LALT, 164}, {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RCTRL, 163}, {SDL_SCANCODE_RSHIFT, 161},
        {SDL_SCANCODE_RALT, 165}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_APPLICATION, 93}, {SDL_SCANCODE_MENU, 93},
        {SDL_SCANCODE_HELP, 47}, {SDL_SCANCODE_SLEEP, 95}, {SDL_SCANCODE_INTERNATIONAL4, 28},
        {SDL_SCANCODE_INTERNATIONAL5, 29}, {SDL_SCANCODE_AC_BACK, 166}, {SDL_SCANCODE_AC_FORWARD, 167},
        {SDL_SCANCODE_AC_REFRESH, 168}, {SDL_SCANCODE_AC_STOP, 169}, {SDL_SCANCODE_AC_SEARCH, 170},
        {SDL_SCANCODE_AC_BOOKMARKS, 171}, {SDL_SCANCODE_AC_HOME, 172}, {SDL_SCANCODE_WWW, 172},
        {SDL_SCANCODE_MUTE, 173}, {SDL_SCANCODE_AUDIOMUTE, 173}, {SDL_SCANCODE_VOLUMEDOWN, 174},
        {SDL_SCANCODE_VOLUMEUP, 175}, {SDL_SCANCODE_AUDIONEXT, 176}, {SDL_SCANCODE_AUDIOPREV, 177},
        {SDL_SCANCODE_AUDIOSTOP, 178}, {SDL_SCANCODE_AUDIOPLAY, 179}, {SDL_SCANCODE_MAIL, 180},
        {SDL_SCANCODE_MEDIASELECT, 181}, {SDL_SCANCODE_COMPUTER, 182}, {SDL_SCANCODE_APP1, 182},
        {SDL_SCANCODE_CALCULATOR, 183}, {SDL_SCANCODE_APP2, 183},
    };
    for (const std::pair<int, int>& other : others)
        codes[other.first] = other.second;
    return codes;
}

} // namespace

// Every scancode SDL can report, with SDL's default (US) keymap.
TEST(CSdlKeyCodesTest, EveryScancodeGivesTheWindowsCodeOfItsPosition)
{
    const std::map<int, int> expected = windowsCodesByPosition();
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
    {
        auto found = expected.find(scancode);
        int code = found == expected.end() ? C_KEY_NONE : found->second;
        SDL_Scancode key = static_cast<SDL_Scancode>(scancode);
        EXPECT_EQ(CSdlKeyCodes::byPosition(key), code) << SDL_GetScancodeName(key) << " (" << scancode << ")";
        EXPECT_EQ(CSdlKeyCodes::convert(key), code) << SDL_GetScancodeName(key) << " (" << scancode << ")";
    }
}
