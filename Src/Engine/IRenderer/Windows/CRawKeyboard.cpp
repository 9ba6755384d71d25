#include "Engine/IRenderer/Windows/CRawKeyboard.h"

namespace Tavrin {
namespace Engine {

namespace {

const USHORT C_VK_IGNORED = 0xFF;

// Keys Windows reports under one virtual key for both the keypad and the
// separate block. NOTE: the separate block's copies carry the E0 flag, so the
// keypad keeps its codes whatever the Num Lock state.
struct _SKeypadKey
{
    USHORT virtualKey;
    int32_t withoutE0;
    int32_t withE0;
};

const _SKeypadKey C_SPLIT_KEYS[] = {
    {VK_CLEAR, VK_NUMPAD5, VK_CLEAR},
    {VK_RETURN, VK_RETURN, C_KEY_KEYPAD_ENTER},
    {VK_CONTROL, VK_LCONTROL, VK_RCONTROL},
    {VK_MENU, VK_LMENU, VK_RMENU},
    {VK_PRIOR, VK_NUMPAD9, VK_PRIOR},
    {VK_NEXT, VK_NUMPAD3, VK_NEXT},
    {VK_END, VK_NUMPAD1, VK_END},
    {VK_HOME, VK_NUMPAD7, VK_HOME},
    {VK_LEFT, VK_NUMPAD4, VK_LEFT},
    {VK_UP, VK_NUMPAD8, VK_UP},
    {VK_RIGHT, VK_NUMPAD6, VK_RIGHT},
    {VK_DOWN, VK_NUMPAD2, VK_DOWN},
    {VK_INSERT, VK_NUMPAD0, VK_INSERT},
    {VK_DELETE, VK_DECIMAL, VK_DELETE},
};

} // namespace

TKeyCode CRawKeyboard::convert(const RAWKEYBOARD& record)
{
    if (record.VKey == C_VK_IGNORED)
        return C_KEY_NONE;
    uint32_t virtualKey = record.VKey;
    // Both shift keys arrive as VK_SHIFT without E0; only the scan code tells them apart.
    if (virtualKey == VK_SHIFT)
        virtualKey = MapVirtualKeyA(record.MakeCode, MAPVK_VSC_TO_VK_EX);
    int32_t code = static_cast<int32_t>(virtualKey);
    bool e0 = (record.Flags & RI_KEY_E0) != 0;
    for (const _SKeypadKey& key : C_SPLIT_KEYS)
        if (key.virtualKey == virtualKey)
        {
            code = e0 ? key.withE0 : key.withoutE0;
            break;
        }
    if (code < 0 || code >= C_KEY_COUNT)
        return C_KEY_NONE;
    return static_cast<TKeyCode>(code);
}

CRawKeyboard::TTransition CRawKeyboard::track(bool* keyDown, TKeyCode code, bool isBreak)
{
    if (code < 0 || code >= C_KEY_COUNT)
        return C_TRANSITION_NONE;
    if (keyDown[code] == !isBreak)
        return C_TRANSITION_NONE;
    keyDown[code] = !isBreak;
    return isBreak ? C_TRANSITION_RELEASED : C_TRANSITION_PRESSED;
}

} // namespace Engine
} // namespace Tavrin
