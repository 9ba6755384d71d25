#include "Engine/IRenderer/Windows/CRawKeyboard.h"

#include "Engine/IRenderer/Windows/CWindowWin32.h"

#include "Engine/IRenderer/RendererTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

RAWKEYBOARD record(USHORT makeCode, USHORT flags, USHORT virtualKey)
{
    RAWKEYBOARD keyboard{};
    keyboard.MakeCode = makeCode;
    keyboard.Flags = flags;
    keyboard.VKey = virtualKey;
    keyboard.Message = (flags & RI_KEY_BREAK) ? WM_KEYUP : WM_KEYDOWN;
    return keyboard;
}

const USHORT E0 = RI_KEY_E0;
const USHORT BREAK = RI_KEY_BREAK;

} // namespace

// Records as a US keyboard on Windows delivers them.
TEST(CRawKeyboardTest, RecordsGiveKeyCodes)
{
    struct SCase
    {
        const char* key;
        RAWKEYBOARD record;
        int32_t expected;
    };
    const SCase cases[] = {
        {"a", record(0x1E, 0, 'A'), 65},
        {"left ctrl", record(0x1D, 0, VK_CONTROL), 162},
        {"right ctrl", record(0x1D, E0, VK_CONTROL), 163},
        {"right ctrl released", record(0x1D, E0 | BREAK, VK_CONTROL), 163},
        {"left alt", record(0x38, 0, VK_MENU), 164},
        {"right alt", record(0x38, E0, VK_MENU), 165},
        {"left shift", record(0x2A, 0, VK_SHIFT), 160},
        {"right shift", record(0x36, 0, VK_SHIFT), 161},
        {"right shift released", record(0x36, BREAK, VK_SHIFT), 161},
        {"return", record(0x1C, 0, VK_RETURN), 13},
        {"keypad enter", record(0x1C, E0, VK_RETURN), 261},
        {"keypad 5, num lock off", record(0x4C, 0, VK_CLEAR), 101},
        {"clear with E0", record(0x4C, E0, VK_CLEAR), 0x0C},
        {"keypad 9, num lock off", record(0x49, 0, VK_PRIOR), 105},
        {"page up", record(0x49, E0, VK_PRIOR), 0x21},
        {"keypad 3, num lock off", record(0x51, 0, VK_NEXT), 99},
        {"page down", record(0x51, E0, VK_NEXT), 0x22},
        {"keypad 1, num lock off", record(0x4F, 0, VK_END), 97},
        {"end", record(0x4F, E0, VK_END), 0x23},
        {"keypad 7, num lock off", record(0x47, 0, VK_HOME), 103},
        {"home", record(0x47, E0, VK_HOME), 0x24},
        {"keypad left", record(0x4B, 0, VK_LEFT), 100},
        {"left arrow", record(0x4B, E0, VK_LEFT), 0x25},
        {"keypad up", record(0x48, 0, VK_UP), 104},
        {"up arrow", record(0x48, E0, VK_UP), 0x26},
        {"keypad right", record(0x4D, 0, VK_RIGHT), 102},
        {"right arrow", record(0x4D, E0, VK_RIGHT), 0x27},
        {"keypad down", record(0x50, 0, VK_DOWN), 98},
        {"down arrow", record(0x50, E0, VK_DOWN), 0x28},
        {"keypad 0, num lock off", record(0x52, 0, VK_INSERT), 96},
        {"insert", record(0x52, E0, VK_INSERT), 0x2D},
        {"keypad decimal, num lock off", record(0x53, 0, VK_DELETE), 110},
        {"delete", record(0x53, E0, VK_DELETE), 0x2E},
        {"keypad 4, num lock on", record(0x4B, 0, VK_NUMPAD4), 100},
        {"keypad divide", record(0x35, E0, VK_DIVIDE), VK_DIVIDE},
        {"pause's fake control", record(0x1D, RI_KEY_E1, 0xFF), C_KEY_NONE},
        {"fake shift of a navigation key", record(0x2A, E0, 0xFF), C_KEY_NONE},
    };
    for (const SCase& testCase : cases)
        EXPECT_EQ(CRawKeyboard::convert(testCase.record), testCase.expected) << testCase.key;
}

TEST(CRawKeyboardTest, HeldKeysReportOnePressAndOneRelease)
{
    struct SStep
    {
        int32_t code;
        bool isBreak;
        CRawKeyboard::TTransition expected;
    };
    const SStep steps[] = {
        {65, true, CRawKeyboard::C_TRANSITION_NONE},     // release never pressed
        {162, false, CRawKeyboard::C_TRANSITION_PRESSED},
        {162, false, CRawKeyboard::C_TRANSITION_NONE},   // auto-repeat
        {65, false, CRawKeyboard::C_TRANSITION_PRESSED},
        {162, false, CRawKeyboard::C_TRANSITION_NONE},
        {65, true, CRawKeyboard::C_TRANSITION_RELEASED},
        {162, true, CRawKeyboard::C_TRANSITION_RELEASED},
        {162, true, CRawKeyboard::C_TRANSITION_NONE},
        {481, false, CRawKeyboard::C_TRANSITION_PRESSED},
        {482, false, CRawKeyboard::C_TRANSITION_NONE},   // outside the table
        {-1, false, CRawKeyboard::C_TRANSITION_NONE},
    };
    bool keyDown[C_KEY_COUNT];
    memset(keyDown, 0, sizeof(keyDown));
    int index = 0;
    for (const SStep& step : steps)
        EXPECT_EQ(CRawKeyboard::track(keyDown, static_cast<TKeyCode>(step.code), step.isBreak), step.expected)
            << "step " << index++;
    EXPECT_TRUE(keyDown[481]);
    EXPECT_FALSE(keyDown[65]);
    EXPECT_FALSE(keyDown[162]);
}

TEST(CRawKeyboardTest, WindowTurnsRecordsIntoKeyEvents)
{
    TTrace trace;
    CManagedPtr<CWindowWin32> window =
        CManagedPtr<CWindowWin32>::adopt(new CWindowWin32("Keys", nullptr, 320, 100, 68));
    CManagedPtr<CTraceListener> listener = CManagedPtr<CTraceListener>::adopt(new CTraceListener(trace, ""));
    window->addListener(listener.get());

    const RAWKEYBOARD records[] = {
        record(0x1D, 0, VK_CONTROL),     record(0x1D, 0, VK_CONTROL), record(0x1D, 0, VK_CONTROL),
        record(0x1E, 0, 'A'),            record(0x1E, 0, 'A'),        record(0x1D, BREAK, VK_CONTROL),
        record(0x2A, E0, 0xFF),          record(0x1C, E0, VK_RETURN), record(0x1C, E0 | BREAK, VK_RETURN),
        record(0x1E, BREAK, 'A'),        record(0x1E, BREAK, 'A'),
    };
    for (const RAWKEYBOARD& keyboard : records)
        window->handleRawKeyboard(keyboard);
    EXPECT_EQ(trace, (TTrace{"keydown 101:162:", "keydown 101:65:", "keyup 101:162:", "keydown 101:261:",
                             "keyup 101:261:", "keyup 101:65:"}));
    EXPECT_FALSE(window->isKeyDown(static_cast<TKeyCode>(65)));

    window->handleRawKeyboard(record(0x38, 0, VK_MENU));
    EXPECT_TRUE(window->isKeyDown(static_cast<TKeyCode>(164)));
}
