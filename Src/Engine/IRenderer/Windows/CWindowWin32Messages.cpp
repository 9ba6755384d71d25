#include "Engine/IRenderer/Windows/CWindowWin32.h"

#include "Engine/IRenderer/CWindowManager.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IRenderer/Windows/CRawKeyboard.h"

namespace Tavrin {
namespace Engine {

namespace {

const float C_NOTCHES_PER_WHEEL_UNIT = 0.008333334f;

uint16_t _lowWord(LPARAM value)
{
    return static_cast<uint16_t>(static_cast<DWORD_PTR>(value) & 0xFFFF);
}

uint16_t _highWord(LPARAM value)
{
    return static_cast<uint16_t>((static_cast<DWORD_PTR>(value) >> 16) & 0xFFFF);
}

} // namespace

LRESULT CALLBACK CWindowWin32::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Messages sent during creation, and those reaching a native window whose
    // engine window is gone, find no window.
    CWindowWin32* engineWindow = dynamic_cast<CWindowWin32*>(CWindowManager::findWindow(window));
    if (!engineWindow)
        return DefWindowProcA(window, message, wParam, lParam);
    // An exception cannot unwind through the system's dispatch frames: it is
    // logged (an engine exception logged itself too) and the message dropped.
    try
    {
        return engineWindow->handleMessage(message, wParam, lParam);
    }
    catch (...)
    {
        logLevel(3, "Error: exception while handling window message 0x%04X; message dropped\n", message);
        return 0;
    }
}

LRESULT CWindowWin32::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = _hwnd();
    switch (message)
    {
    case WM_INPUT:
        _onRawInput(lParam);
        return 0;
    case WM_DESTROY:
    case WM_QUIT:
        // Closed before the releases go out: a listener that throws must not
        // leave the window open on a handle that is gone.
        m_closed = true;
        m_handle = nullptr;
        _releaseHeldInput();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SIZE:
        // Minimised windows keep their size.
        if (wParam == SIZE_RESTORED || (wParam & SIZE_MAXIMIZED))
            onResize(_lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_ACTIVATE:
        m_active = _lowWord(static_cast<LPARAM>(wParam)) != 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETFOCUS:
        onFocusGained();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_KILLFOCUS:
        onFocusLost();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT:
        _onPaint();
        return 0;
    case WM_SETCURSOR:
        onSetCursor();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_WINDOWPOSCHANGED:
        _onWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Keys come from raw input, which tells left from right and the keypad.
        return 0;
    case WM_CHAR:
    {
        SWindowEvent event;
        event.code = static_cast<uint32_t>(wParam);
        onChar(event);
        return 0;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER)
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        onMouseMove(_lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        onMouseButtonDown(C_KEY_MOUSE_BUTTON_LEFT, _lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_LBUTTONUP:
        onMouseButtonUp(C_KEY_MOUSE_BUTTON_LEFT, _lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        onMouseButtonDown(C_KEY_MOUSE_BUTTON_RIGHT, _lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_RBUTTONUP:
        onMouseButtonUp(C_KEY_MOUSE_BUTTON_RIGHT, _lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_MBUTTONDOWN:
        onMouseButtonDown(C_KEY_MOUSE_BUTTON_MIDDLE, _lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_MBUTTONUP:
        onMouseButtonUp(C_KEY_MOUSE_BUTTON_MIDDLE, _lowWord(lParam), _highWord(lParam));
        return 0;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        _onExtraButton(message == WM_XBUTTONDOWN, wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        return 0;
    case WM_MOUSEWHEEL:
        onMouseWheel(static_cast<int16_t>(_highWord(static_cast<LPARAM>(wParam))) * C_NOTCHES_PER_WHEEL_UNIT);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void CWindowWin32::handleRawKeyboard(const RAWKEYBOARD& record)
{
    TKeyCode code = CRawKeyboard::convert(record);
    if (code == C_KEY_NONE)
        return;
    SWindowEvent event;
    event.code = static_cast<uint32_t>(code);
    switch (CRawKeyboard::track(m_keyDown, code, (record.Flags & RI_KEY_BREAK) != 0))
    {
    case CRawKeyboard::C_TRANSITION_PRESSED:
        onKeyDown(event);
        break;
    case CRawKeyboard::C_TRANSITION_RELEASED:
        onKeyUp(event);
        break;
    case CRawKeyboard::C_TRANSITION_NONE:
        break;
    }
}

void CWindowWin32::_onRawInput(LPARAM lParam)
{
    RAWINPUT input;
    UINT size = sizeof(input);
    UINT read = GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size, sizeof(RAWINPUTHEADER));
    if (read == static_cast<UINT>(-1) || read < sizeof(RAWINPUTHEADER))
        return;
    if (input.header.dwType == RIM_TYPEKEYBOARD)
        handleRawKeyboard(input.data.keyboard);
}

void CWindowWin32::_onExtraButton(bool down, WPARAM wParam, LPARAM lParam)
{
    // Only XBUTTON1 and XBUTTON2 exist; anything else is a forged message.
    uint16_t which = _highWord(static_cast<LPARAM>(wParam));
    if (which != XBUTTON1 && which != XBUTTON2)
        return;
    uint32_t button = which == XBUTTON1 ? C_KEY_MOUSE_BUTTON_X1 : C_KEY_MOUSE_BUTTON_X2;
    if (down)
        onMouseButtonDown(button, _lowWord(lParam), _highWord(lParam));
    else
        onMouseButtonUp(button, _lowWord(lParam), _highWord(lParam));
}

void CWindowWin32::_onWindowPosChanged(const WINDOWPOS& position)
{
    if (!(position.flags & SWP_NOMOVE))
        onMove(position.x, position.y);
    if (position.flags & SWP_NOSIZE)
        return;
    uint32_t width = static_cast<uint32_t>(position.cx);
    uint32_t height = static_cast<uint32_t>(position.cy);
    if (width != m_width || height != m_height)
        onResize(width, height);
}

} // namespace Engine
} // namespace Tavrin
