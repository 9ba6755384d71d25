#include "Engine/IRenderer/Windows/CWindowWin32.h"

#include "Engine/IRenderer/Windows/CAccessibleDescription.h"

#include "Engine/IInput/Windows/CWin32MouseCursor.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {
const char* const C_SOURCE = "Engine/IRenderer/Windows/CWindowWin32";
} // namespace

const char* const CWindowWin32::C_CLASS_NAME = "Tavrin";

CWindowWin32::CWindowWin32(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
    : CWindow(title, parentHandle, width, height, flags), m_created(false)
{
}

CWindowWin32::~CWindowWin32()
{
    // While the native window and this whole window exist. A listener may
    // pump the window to its end, so the handle is read afterwards.
    _releaseHeldInputOnTeardown();
    if (m_handle)
    {
        // Destroyed when some loop dispatches the message; this object is gone
        // by then, so the default procedure handles it.
        PostMessageA(_hwnd(), WM_CLOSE, 0, 0);
        m_handle = nullptr;
        m_closed = true;
    }
    else
    {
        // Fails harmlessly while other windows of the class remain.
        UnregisterClassA(C_CLASS_NAME, GetModuleHandleA(nullptr));
    }
}

void CWindowWin32::setSize(uint32_t width, uint32_t height)
{
    CWindow::setSize(width, height);
    if (m_closed)
        return;
    MoveWindow(_hwnd(), m_x, m_y, static_cast<int>(width), static_cast<int>(height), TRUE);
    _refreshClientArea();
}

void CWindowWin32::show()
{
    if (!m_created)
        _createNativeWindow();
    if (m_closed)
        return;
    _bringUp();
}

void CWindowWin32::hide()
{
    if (!m_closed)
        ShowWindow(_hwnd(), SW_HIDE);
}

void CWindowWin32::close()
{
    if (!m_closed)
        PostMessageA(_hwnd(), WM_CLOSE, 0, 0);
}

void CWindowWin32::processMessages()
{
    if (m_closed)
        return;
    m_visible = !IsIconic(_hwnd());
    MSG message;
    // The handle is re-read every time: a null one would take the thread's
    // and other windows' messages once this window is destroyed.
    while (!m_closed && m_handle && PeekMessageA(&message, _hwnd(), 0, 0, PM_NOREMOVE))
    {
        BOOL result = GetMessageA(&message, _hwnd(), 0, 0);
        if (result == 0)
        {
            m_closed = true;
            break;
        }
        if (result == -1)
            break;
        if (_isAltReturn(message))
        {
            _toggleFullscreen();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CWindowWin32::setTitle(const CString& title)
{
    CWindow::setTitle(title);
    if (!m_closed)
        SetWindowTextA(_hwnd(), m_title.c_str());
}

void CWindowWin32::setPosition(int32_t x, int32_t y)
{
    CWindow::setPosition(x, y);
    if (!m_closed)
        MoveWindow(_hwnd(), x, y, static_cast<int>(m_width), static_cast<int>(m_height), TRUE);
}

void CWindowWin32::_refreshClientArea()
{
    if (!m_handle)
        return;
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    if (!GetWindowInfo(_hwnd(), &info))
        return;
    m_clientX = info.rcClient.left;
    m_clientY = info.rcClient.top;
    m_clientWidth = static_cast<uint32_t>(info.rcClient.right - info.rcClient.left);
    m_clientHeight = static_cast<uint32_t>(info.rcClient.bottom - info.rcClient.top);
}

void CWindowWin32::_applyCursor()
{
    CWin32MouseCursor::applyCursor();
}

void CWindowWin32::_registerClass(HINSTANCE module)
{
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(module, C_CLASS_NAME, &existing))
        return;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = module;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(12));
    windowClass.lpszClassName = C_CLASS_NAME;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    {
        logLastError();
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot register window class\n", C_SOURCE, 84);
    }
}

DWORD CWindowWin32::_style() const
{
    DWORD style = WS_OVERLAPPEDWINDOW;
    if (m_flags & C_WINDOW_CAPTION_FRAME)
        style = WS_CAPTION | WS_THICKFRAME;
    else if (m_flags & C_WINDOW_NO_MINIMIZE_MAXIMIZE)
        style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    if (m_parentHandle)
        style |= WS_CHILD;
    if (m_flags & C_WINDOW_POPUP)
        style = WS_POPUP;
    return style;
}

void CWindowWin32::_createNativeWindow()
{
    if (m_created)
        return;
    HINSTANCE module = GetModuleHandleA(nullptr);
    _registerClass(module);
    DWORD style = _style();
    // The requested size is the client size, except for pop-ups. The fields
    // change only once the window exists, so a failed attempt leaves them be.
    RECT outer = {0, 0, static_cast<LONG>(m_width), static_cast<LONG>(m_height)};
    if (!(m_flags & C_WINDOW_POPUP))
        AdjustWindowRectEx(&outer, style, FALSE, WS_EX_APPWINDOW);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    int x = m_x;
    int y = m_y;
    if (m_flags & C_WINDOW_CENTRED)
    {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    HWND window = CreateWindowExA(WS_EX_APPWINDOW, C_CLASS_NAME, m_title.c_str(), style, x, y, width, height,
                                  static_cast<HWND>(m_parentHandle), nullptr, module, this);
    if (window == reinterpret_cast<HWND>(INVALID_HANDLE_VALUE))
        TAVRIN_THROW_AT(CInternalErrorException, "Handle collision!\n", C_SOURCE, 135);
    if (!window)
    {
        logLastError();
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot create window\n", C_SOURCE, 140);
    }
    m_handle = window;
    _readBackRectangles();
    m_closed = false;
    m_created = true;
    _registerRawKeyboard();
    memset(m_keyDown, 0, sizeof(m_keyDown));
}

void CWindowWin32::_readBackRectangles()
{
    RECT rectangle;
    if (GetWindowRect(_hwnd(), &rectangle))
    {
        m_x = rectangle.left;
        m_y = rectangle.top;
        m_width = static_cast<uint32_t>(rectangle.right - rectangle.left);
        m_height = static_cast<uint32_t>(rectangle.bottom - rectangle.top);
    }
    _refreshClientArea();
}

void CWindowWin32::_registerRawKeyboard()
{
    RAWINPUTDEVICE keyboard;
    keyboard.usUsagePage = 1;
    keyboard.usUsage = 6;
    keyboard.dwFlags = 0;
    keyboard.hwndTarget = _hwnd();
    if (!RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard)))
    {
        logLevel(2, "Warning: Cannot register raw keyboard input, keys will not reach the window\n");
        logLastError();
    }
}

void CWindowWin32::_bringUp()
{
    SetForegroundWindow(_hwnd());
    SetFocus(_hwnd());
    ShowWindow(_hwnd(), SW_SHOWNORMAL);
}

bool CWindowWin32::_isAltReturn(const MSG& message) const
{
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return false;
    return message.wParam == VK_RETURN && GetKeyState(VK_MENU) < 0 && m_active;
}

} // namespace Engine
} // namespace Tavrin
