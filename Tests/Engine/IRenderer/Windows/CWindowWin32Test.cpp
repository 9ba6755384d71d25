#include "Engine/IInput/Windows/CWin32MouseCursor.h"
#include "Engine/IRenderer/CWindowManager.h"
#include "Engine/IRenderer/Windows/CWindowWin32.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IRenderer/RendererTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

// Runs whatever the thread's queue holds, as a dialog's loop would.
void pumpThread()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool classRegistered()
{
    WNDCLASSEXA info{};
    info.cbSize = sizeof(info);
    return GetClassInfoExA(GetModuleHandleA(nullptr), "Tavrin", &info) != 0;
}

void setAltDown(bool down)
{
    BYTE keys[256];
    memset(keys, 0, sizeof(keys));
    if (down)
        keys[VK_MENU] = keys[VK_LMENU] = 0x80;
    SetKeyboardState(keys);
}

class CWindowWin32Test : public testing::Test
{
protected:
    void SetUp() override
    {
        // Wine without X needs its null display driver (Scripts/wine-env.sh sets it up).
        HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(probe, nullptr) << "No display driver: cannot create windows in this environment";
        DestroyWindow(probe);
    }
    void TearDown() override
    {
        m_window.reset();
        m_listener.reset();
        setAltDown(false);
        CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_ARROW);
        pumpThread();
    }

    // A registered window with its native window, never shown.
    CWindowWin32* open(uint32_t flags = 68, uint32_t width = 320, uint32_t height = 100)
    {
        m_window = m_manager.createWindow("Test window", width, height, flags);
        m_window->createSwapChain(&m_renderer);
        m_listener = CManagedPtr<CTraceListener>::adopt(new CTraceListener(m_trace, ""));
        m_window->addListener(m_listener.get());
        return win32();
    }
    CWindowWin32* win32() const { return static_cast<CWindowWin32*>(m_window.get()); }
    HWND hwnd() const { return static_cast<HWND>(m_window->getHandle()); }
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) { return SendMessageA(hwnd(), message, wParam, lParam); }

    CWindowManager m_manager;
    CFakeRenderer m_renderer;
    CManagedPtr<CWindow> m_window;
    CManagedPtr<CTraceListener> m_listener;
    TTrace m_trace;
};

} // namespace

TEST_F(CWindowWin32Test, CreationIsDeferredAndUsesTheFlagsStyle)
{
    struct SCase
    {
        uint32_t flags;
        DWORD present;
        DWORD absent;
    };
    const SCase cases[] = {
        {0, WS_OVERLAPPEDWINDOW, WS_POPUP},
        {2, WS_CAPTION | WS_THICKFRAME, WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
        {64, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
        {68, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
        {66, WS_CAPTION | WS_THICKFRAME, WS_SYSMENU},
        {65, WS_POPUP, WS_CAPTION | WS_THICKFRAME},
    };
    for (const SCase& testCase : cases)
    {
        CManagedPtr<CWindow> window = m_manager.createWindow("Styled", 320, 100, testCase.flags);
        CWindowWin32* win = static_cast<CWindowWin32*>(window.get());
        EXPECT_FALSE(win->isCreated());
        EXPECT_EQ(window->getHandle(), nullptr);
        window->createSwapChain(&m_renderer);
        ASSERT_TRUE(win->isCreated()) << testCase.flags;
        EXPECT_FALSE(window->isClosed());
        HWND native = static_cast<HWND>(window->getHandle());
        DWORD style = static_cast<DWORD>(GetWindowLongPtrA(native, GWL_STYLE));
        EXPECT_EQ(style & testCase.present, testCase.present) << testCase.flags;
        EXPECT_EQ(style & testCase.absent, 0u) << testCase.flags;
        EXPECT_TRUE(GetWindowLongPtrA(native, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        char className[16] = {};
        GetClassNameA(native, className, sizeof(className));
        EXPECT_STREQ(className, "Tavrin");
        EXPECT_EQ(CWindowManager::findWindow(native), window.get());

        // The requested size is the client size, except for pop-ups.
        RECT client;
        GetClientRect(native, &client);
        RECT outer;
        GetWindowRect(native, &outer);
        EXPECT_EQ(client.right, 320);
        EXPECT_EQ(client.bottom, 100);
        EXPECT_EQ(window->getClientWidth(), 320u);
        EXPECT_EQ(window->getClientHeight(), 100u);
        EXPECT_EQ(window->getWidth(), static_cast<uint32_t>(outer.right - outer.left));
        EXPECT_EQ(window->getHeight(), static_cast<uint32_t>(outer.bottom - outer.top));
        if (testCase.flags & 1)
        {
            EXPECT_EQ(window->getWidth(), 320u);
        }
        else
        {
            EXPECT_GT(window->getWidth(), 320u);
        }

        // Flag 4 centres the outer rectangle on the primary screen.
        int32_t expectedX = (testCase.flags & 4) ? (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2 : 0;
        int32_t expectedY = (testCase.flags & 4) ? (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2 : 0;
        EXPECT_EQ(window->getX(), expectedX) << testCase.flags;
        EXPECT_EQ(window->getY(), expectedY) << testCase.flags;
        EXPECT_EQ(outer.left, expectedX);
        char title[32] = {};
        GetWindowTextA(native, title, sizeof(title));
        EXPECT_STREQ(title, "Styled");
    }
}

TEST_F(CWindowWin32Test, KeyMessagesNeverReachListeners)
{
    open();
    for (UINT message : {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP})
        EXPECT_EQ(send(message, 'A', 0x001E0001), 0);
    EXPECT_TRUE(m_trace.empty());
}

TEST_F(CWindowWin32Test, MessagesBecomeListenerEvents)
{
    struct SCase
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* expected;
    };
    const SCase cases[] = {
        {WM_CHAR, 'a', 0, "char 101:97:"},
        {WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0), nullptr},
        {WM_SIZE, SIZE_MAXHIDE, MAKELPARAM(10, 10), nullptr},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200), "resize 300,200"},
        {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(800, 600), "resize 800,600"},
        {WM_SIZE, SIZE_MAXSHOW, MAKELPARAM(640, 480), "resize 640,480"},
        {WM_MOUSEMOVE, 0, MAKELPARAM(10, 20), "mousemove 10,20"},
        {WM_MOUSEMOVE, 0, MAKELPARAM(-1, 2), "mousemove 65535,2"},
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 2), "buttondown 1 1,2"},
        {WM_LBUTTONUP, 0, MAKELPARAM(3, 4), "buttonup 1 3,4"},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 6), "buttondown 2 5,6"},
        {WM_RBUTTONUP, 0, MAKELPARAM(5, 6), "buttonup 2 5,6"},
        {WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(7, 8), "buttondown 4 7,8"},
        {WM_MBUTTONUP, 0, MAKELPARAM(7, 8), "buttonup 4 7,8"},
        {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), MAKELPARAM(9, 9), "buttondown 5 9,9"},
        {WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON1), MAKELPARAM(9, 9), "buttonup 5 9,9"},
        {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), MAKELPARAM(0, 1), "buttondown 6 0,1"},
        {WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON2), MAKELPARAM(0, 1), "buttonup 6 0,1"},
        // No such extra button: forged messages are dropped.
        {WM_XBUTTONDOWN, MAKEWPARAM(0, 0), MAKELPARAM(2, 2), nullptr},
        {WM_XBUTTONDOWN, MAKEWPARAM(0, 3), MAKELPARAM(2, 2), nullptr},
        {WM_XBUTTONUP, MAKEWPARAM(0, 0xFFFF), MAKELPARAM(2, 2), nullptr},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, 0, nullptr},
        {WM_RBUTTONDBLCLK, MK_RBUTTON, 0, nullptr},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0, "wheel 1.000000"},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0, "wheel -2.000000"},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0, "wheel 0.500000"},
        {WM_SYSCOMMAND, SC_SCREENSAVE, 0, nullptr},
        {WM_SYSCOMMAND, SC_MONITORPOWER, 2, nullptr},
    };
    open();
    for (const SCase& testCase : cases)
    {
        m_trace.clear();
        EXPECT_EQ(send(testCase.message, testCase.wParam, testCase.lParam), 0) << testCase.message;
        TTrace expected;
        if (testCase.expected)
            expected.push_back(testCase.expected);
        EXPECT_EQ(m_trace, expected) << "message " << testCase.message << " wParam " << testCase.wParam;
    }
}

namespace {

// Throws from every mouse-button press and key release, as a faulty listener would.
class CThrowingListener : public CWindowEventListener
{
public:
    void onMouseButtonDown(CWindow*, uint32_t, uint16_t, uint16_t) override
    {
        TAVRIN_THROW(CInvalidOperationException, "Listener failure\n", "Engine/IRenderer/Windows/CWindowWin32Test");
    }
    void onKeyUp(CWindow*, const SWindowEvent&) override
    {
        TAVRIN_THROW(CInvalidOperationException, "Listener failure\n", "Engine/IRenderer/Windows/CWindowWin32Test");
    }
};

} // namespace

// An exception cannot cross the system's dispatch frames: it stops in the
// window procedure, is logged, and the message counts as handled.
TEST_F(CWindowWin32Test, AnExceptionNeverLeavesTheWindowProcedure)
{
    open();
    CManagedPtr<CThrowingListener> thrower = CManagedPtr<CThrowingListener>::adopt(new CThrowingListener());
    m_window->addListener(thrower.get());
    CLogCapture capture;
    EXPECT_EQ(send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1)), 0);
    EXPECT_EQ(m_trace, (TTrace{"buttondown 1 1,1"}));
    EXPECT_NE(std::find(CLogCapture::lines().begin(), CLogCapture::lines().end(),
                        "Error: exception while handling window message 0x0201; message dropped\n"),
              CLogCapture::lines().end());

    // A failed release at WM_DESTROY still leaves the window closed, never
    // open on a handle that is gone.
    RAWKEYBOARD make{};
    make.MakeCode = 0x1E;
    make.VKey = 'A';
    make.Message = WM_KEYDOWN;
    win32()->handleRawKeyboard(make);
    send(WM_CLOSE, 0, 0);
    EXPECT_TRUE(m_window->isClosed());
    EXPECT_EQ(m_window->getHandle(), nullptr);
    m_window->removeListener(thrower.get());
}

// Keys and buttons held when the focus or the native window goes are let go.
TEST_F(CWindowWin32Test, FocusLossAndDestructionReleaseHeldKeysAndButtons)
{
    open();
    RAWKEYBOARD make{};
    make.MakeCode = 0x1E;
    make.VKey = 'A';
    make.Message = WM_KEYDOWN;
    win32()->handleRawKeyboard(make);
    send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
    m_trace.clear();
    send(WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(m_trace, (TTrace{"buttonup 2 0,0", "keyup 101:65:", "focuslost"}));
    EXPECT_FALSE(win32()->isKeyDown(TKeyCode('A')));

    // The next make is a new press, not an auto-repeat.
    win32()->handleRawKeyboard(make);
    m_trace.clear();
    send(WM_CLOSE, 0, 0);
    EXPECT_EQ(m_trace, (TTrace{"keyup 101:65:"}));
}

TEST_F(CWindowWin32Test, ResizingStoresTheSizeAndResizesTheSwapChain)
{
    open();
    send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(m_window->getWidth(), 300u);
    EXPECT_EQ(m_window->getHeight(), 200u);
    // The client fields come from the native window, which did not change.
    SSwapChainState state = m_window->getSwapChain()->getState();
    EXPECT_EQ(state.width, 320u);
    EXPECT_EQ(state.height, 100u);
}

TEST_F(CWindowWin32Test, WindowPositionChangesCallMoveAndResizeOnlyWhenNeeded)
{
    open();
    struct SCase
    {
        int x, y, cx, cy;
        UINT flags;
        TTrace expected;
    };
    int width = static_cast<int>(m_window->getWidth());
    int height = static_cast<int>(m_window->getHeight());
    const SCase cases[] = {
        {30, 40, width, height, 0, {"move 30,40"}},
        {31, 41, width + 10, height, SWP_NOMOVE, {"resize " + std::to_string(width + 10) + "," + std::to_string(height)}},
        {32, 42, 5, 6, SWP_NOMOVE | SWP_NOSIZE, {}},
        {33, 43, 7, 8, SWP_NOSIZE, {"move 33,43"}},
        {34, 44, 9, 10, 0, {"move 34,44", "resize 9,10"}},
        {35, 45, 9, 10, 0, {"move 35,45"}},
    };
    for (const SCase& testCase : cases)
    {
        m_trace.clear();
        WINDOWPOS position{};
        position.hwnd = hwnd();
        position.x = testCase.x;
        position.y = testCase.y;
        position.cx = testCase.cx;
        position.cy = testCase.cy;
        position.flags = testCase.flags;
        EXPECT_EQ(send(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position)), 0);
        EXPECT_EQ(m_trace, testCase.expected) << testCase.x;
    }
    EXPECT_EQ(m_window->getX(), 35);
    EXPECT_EQ(m_window->getWidth(), 9u);
}

TEST_F(CWindowWin32Test, FocusActivationAndCursor)
{
    open();
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    // Focus and cursor requests re-apply the engine's cursor setting.
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_CROSS);
    SetCursor(arrow);
    send(WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(m_window->isFocused());
    EXPECT_EQ(GetCursor(), cross);
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_WAIT);
    send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), wait);
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_ARROW);
    send(WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(m_window->isFocused());
    EXPECT_EQ(GetCursor(), wait);
    EXPECT_EQ(m_trace, (TTrace{"focusgained", "setcursor", "focuslost"}));

    send(WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(m_window->isActive());
    send(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(m_window->isActive());
}

TEST_F(CWindowWin32Test, ClosingDestroysTheNativeWindowForGood)
{
    open();
    HWND native = hwnd();
    EXPECT_EQ(send(WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(m_window->isClosed());
    EXPECT_EQ(m_window->getHandle(), nullptr);
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(CWindowManager::findWindow(native), nullptr);
    // A closed window is never reopened.
    m_window->show();
    EXPECT_TRUE(m_window->isClosed());
    EXPECT_EQ(m_window->getHandle(), nullptr);
    m_window->processMessages();
    m_window->setTitle("Still closed");
    EXPECT_STREQ(m_window->getTitle().c_str(), "Still closed");
}

TEST_F(CWindowWin32Test, DeletingAClosedWindowUnregistersTheClass)
{
    open();
    send(WM_CLOSE, 0, 0);
    ASSERT_TRUE(classRegistered());
    m_window.reset();
    EXPECT_FALSE(classRegistered());

    // The next window registers it again.
    open();
    EXPECT_TRUE(classRegistered());
}

TEST_F(CWindowWin32Test, DeletingAnOpenWindowKeepsTheClassUntilTheCloseIsDispatched)
{
    open();
    HWND native = hwnd();
    m_window.reset();
    EXPECT_TRUE(classRegistered());
    EXPECT_TRUE(IsWindow(native));
    pumpThread();
    EXPECT_FALSE(IsWindow(native));
}

TEST_F(CWindowWin32Test, ProcessMessagesTakesOnlyThisWindowsMessages)
{
    open();
    CManagedPtr<CWindow> other = m_manager.createWindow("Other", 50, 50, 0);
    TTrace otherTrace;
    CManagedPtr<CTraceListener> otherListener = CManagedPtr<CTraceListener>::adopt(new CTraceListener(otherTrace, ""));
    other->addListener(otherListener.get());
    other->createSwapChain(&m_renderer);

    PostMessageA(hwnd(), WM_CHAR, 'x', 0);
    PostMessageA(static_cast<HWND>(other->getHandle()), WM_CHAR, 'y', 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    m_window->processMessages();
    EXPECT_EQ(m_trace, (TTrace{"char 101:120:"}));
    EXPECT_TRUE(otherTrace.empty());

    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_APP + 1, WM_APP + 1, PM_REMOVE));
    m_manager.processAllMessages();
    EXPECT_EQ(otherTrace, (TTrace{"char 101:121:"}));

    // A posted close ends up as the closed state after the pump.
    m_window->close();
    EXPECT_FALSE(m_window->isClosed());
    m_window->processMessages();
    EXPECT_TRUE(m_window->isClosed());
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(CWindowWin32Test, AltReturnWithoutSwapChainIsDroppedAndChangesNothing)
{
    m_window = m_manager.createWindow("No swap chain", 320, 100, 68);
    m_listener = CManagedPtr<CTraceListener>::adopt(new CTraceListener(m_trace, ""));
    m_window->addListener(m_listener.get());
    m_window->show();
    ASSERT_FALSE(m_window->isClosed());
    send(WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_TRUE(m_window->isActive());
    m_trace.clear();

    setAltDown(true);
    PostMessageA(hwnd(), WM_SYSKEYDOWN, VK_RETURN, 0x201C0001);
    PostMessageA(hwnd(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    m_window->processMessages();
    EXPECT_TRUE(m_trace.empty());
    EXPECT_EQ(m_window->getSwapChain(), nullptr);
    EXPECT_FALSE(m_window->isClosed());

    // Without Alt the key is translated as usual.
    setAltDown(false);
    PostMessageA(hwnd(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    m_window->processMessages();
    EXPECT_EQ(m_trace, (TTrace{"char 101:13:"}));
}

TEST_F(CWindowWin32Test, AltReturnTogglesTheSwapChainOfTheActiveWindow)
{
    open();
    CFakeSwapChain* swapChain = static_cast<CFakeSwapChain*>(m_window->getSwapChain());
    setAltDown(true);
    // Inactive: the message is dispatched (and ignored by the procedure).
    PostMessageA(hwnd(), WM_SYSKEYDOWN, VK_RETURN, 0x201C0001);
    m_window->processMessages();
    EXPECT_EQ(swapChain->m_toggles, 0u);

    send(WM_ACTIVATE, WA_ACTIVE, 0);
    PostMessageA(hwnd(), WM_SYSKEYDOWN, VK_RETURN, 0x201C0001);
    m_window->processMessages();
    EXPECT_TRUE(swapChain->getState().fullscreen);
    PostMessageA(hwnd(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    m_window->processMessages();
    EXPECT_FALSE(swapChain->getState().fullscreen);
    EXPECT_EQ(swapChain->m_toggles, 2u);
}

TEST_F(CWindowWin32Test, ShowCreatesBringsUpAndHides)
{
    m_window = m_manager.createWindow("Shown", 320, 100, 68);
    m_window->show();
    EXPECT_TRUE(win32()->isCreated());
    EXPECT_TRUE(IsWindowVisible(hwnd()));
    m_window->hide();
    EXPECT_FALSE(IsWindowVisible(hwnd()));
    m_window->setTitle("Renamed");
    char title[32] = {};
    GetWindowTextA(hwnd(), title, sizeof(title));
    EXPECT_STREQ(title, "Renamed");
    m_window->setPosition(12, 34);
    RECT outer;
    GetWindowRect(hwnd(), &outer);
    EXPECT_EQ(outer.left, 12);
    EXPECT_EQ(outer.top, 34);
    m_window->setSize(400, 300);
    GetWindowRect(hwnd(), &outer);
    EXPECT_EQ(outer.right - outer.left, 400);
    EXPECT_EQ(m_window->getWidth(), 400u);
    EXPECT_LT(m_window->getClientWidth(), 400u);
}
