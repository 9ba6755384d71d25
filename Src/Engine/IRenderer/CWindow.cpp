#include "Engine/IRenderer/CWindow.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <cstdint>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {
const char* const C_SOURCE = "Engine/IRenderer/Windows/CWindow";
}

CWindow::CWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
    : m_handle(nullptr), m_parentHandle(parentHandle), m_title(title), m_width(width), m_height(height),
      m_clientWidth(width), m_clientHeight(height), m_active(false), m_flags(flags), m_closed(true), m_x(0), m_y(0),
      m_clientX(0), m_clientY(0), m_focused(false), m_visible(true)
{
    memset(m_keyDown, 0, sizeof(m_keyDown));
}

CWindow::~CWindow()
{
    // Listeners called from here would meet a window whose platform part is
    // gone: the derived class reported the releases in its own teardown.
    removeAllListeners();
    m_swapChain.reset();
}

void CWindow::onMove(int32_t x, int32_t y)
{
    m_x = x;
    m_y = y;
    _refreshClientArea();
    _forEachListener([&](CWindowEventListener* listener) { listener->onMove(this, x, y); });
}

void CWindow::onResize(uint32_t width, uint32_t height)
{
    m_width = width;
    m_height = height;
    _refreshClientArea();
    if (m_swapChain)
        m_swapChain->resize(m_clientWidth, m_clientHeight);
    _forEachListener([&](CWindowEventListener* listener) { listener->onResize(this, width, height); });
}

void CWindow::onChar(const SWindowEvent& event)
{
    // Observers get their own copy: they may keep or change it.
    SWindowEvent copy(event);
    notify(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&copy)));
    _forEachListener([&](CWindowEventListener* listener) { listener->onChar(this, event); });
}

namespace {

bool isKeyCode(uint32_t code)
{
    return code < static_cast<uint32_t>(C_KEY_COUNT);
}

} // namespace

bool CWindow::isMouseButtonCode(uint32_t code)
{
    return code == C_KEY_MOUSE_BUTTON_LEFT || code == C_KEY_MOUSE_BUTTON_RIGHT || code == C_KEY_MOUSE_BUTTON_MIDDLE ||
           code == C_KEY_MOUSE_BUTTON_X1 || code == C_KEY_MOUSE_BUTTON_X2;
}

void CWindow::onKeyDown(const SWindowEvent& event)
{
    if (isKeyCode(event.code))
        m_keyDown[event.code] = true;
    _forEachListener([&](CWindowEventListener* listener) { listener->onKeyDown(this, event); });
}

void CWindow::onKeyUp(const SWindowEvent& event)
{
    if (isKeyCode(event.code))
        m_keyDown[event.code] = false;
    _forEachListener([&](CWindowEventListener* listener) { listener->onKeyUp(this, event); });
}

void CWindow::onMouseWheel(float delta)
{
    _forEachListener([&](CWindowEventListener* listener) { listener->onMouseWheel(this, delta); });
}

void CWindow::onMouseMove(uint16_t x, uint16_t y)
{
    _forEachListener([&](CWindowEventListener* listener) { listener->onMouseMove(this, x, y); });
}

void CWindow::onMouseButtonDown(uint32_t button, uint16_t x, uint16_t y)
{
    if (isMouseButtonCode(button))
        m_keyDown[button] = true;
    _forEachListener([&](CWindowEventListener* listener) { listener->onMouseButtonDown(this, button, x, y); });
}

void CWindow::onMouseButtonUp(uint32_t button, uint16_t x, uint16_t y)
{
    if (isMouseButtonCode(button))
        m_keyDown[button] = false;
    _forEachListener([&](CWindowEventListener* listener) { listener->onMouseButtonUp(this, button, x, y); });
}

void CWindow::onFocusGained()
{
    m_focused = true;
    _applyCursor();
    _forEachListener([&](CWindowEventListener* listener) { listener->onFocusGained(this); });
}

void CWindow::onFocusLost()
{
    m_focused = false;
    _releaseHeldInput();
    _forEachListener([&](CWindowEventListener* listener) { listener->onFocusLost(this); });
}

void CWindow::onSetCursor()
{
    _applyCursor();
    _forEachListener([&](CWindowEventListener* listener) { listener->onSetCursor(this); });
}

void CWindow::_releaseHeldInput()
{
    CArray<TKeyCode> released;
    for (int32_t code = 0; code < C_KEY_COUNT; ++code)
        if (m_keyDown[code])
            released.add(static_cast<TKeyCode>(code));
    if (released.getCount() == 0)
        return;
    // Cleared first: a listener may pump messages or release this window.
    memset(m_keyDown, 0, sizeof(m_keyDown));
    // One call per listener, so that a part of a combination being let go
    // never looks held alone in between.
    _forEachListener([&](CWindowEventListener* listener) { listener->onHeldInputReleased(this, released); });
}

void CWindow::_releaseHeldInputOnTeardown()
{
    // Nothing may leave a destructor; the window procedure drops what its
    // listeners throw the same way.
    try
    {
        _releaseHeldInput();
    }
    catch (...)
    {
        logLevel(3, "Error: exception while releasing the input held by a closing window; ignored\n");
    }
}

void CWindow::_toggleFullscreen()
{
    if (!m_swapChain)
        return;
    SSwapChainState state = m_swapChain->getState();
    m_swapChain->setFullscreen(!state.fullscreen);
}

void CWindow::setSize(uint32_t width, uint32_t height)
{
    m_width = width;
    m_height = height;
}

void CWindow::setTitle(const CString& title)
{
    m_title = title;
}

void CWindow::setPosition(int32_t x, int32_t y)
{
    m_x = x;
    m_y = y;
}

void CWindow::createSwapChain(CRenderer* renderer)
{
    if (!renderer)
        TAVRIN_THROW(CInvalidArgumentException, "Cannot create a swap chain without a renderer\n", C_SOURCE);
    _createNativeWindow();
    if (m_swapChain)
        return;
    SSwapChainDescription description;
    description.name = "CWindow Default SwapChain";
    description.window = m_handle;
    description.width = m_clientWidth;
    description.height = m_clientHeight;
    description.colourFormat = C_SWAP_CHAIN_COLOUR_FORMAT;
    description.depthFormat = C_SWAP_CHAIN_DEPTH_FORMAT;
    description.options[0] = (m_flags & C_WINDOW_SWAP_CHAIN_OPTION_1) != 0;
    description.options[1] = (m_flags & C_WINDOW_SWAP_CHAIN_OPTION_2) != 0;
    description.options[2] = (m_flags & C_WINDOW_SWAP_CHAIN_OPTION_3) != 0;
    m_swapChain = renderer->createSwapChain(description);
}

void CWindow::addListener(CWindowEventListener* listener)
{
    if (!listener)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Cannot register null listener\n", C_SOURCE, 339);
    m_listeners.add(CManagedPtr<CWindowEventListener>(listener));
}

void CWindow::removeListener(CWindowEventListener* listener)
{
    if (!listener)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Cannot unregister null listener\n", C_SOURCE, 348);
    for (uint64_t i = 0; i < m_listeners.getCount(); ++i)
    {
        if (m_listeners[i] != listener)
            continue;
        // The reference goes only after the list is consistent again.
        CManagedPtr<CWindowEventListener> removed = m_listeners[i];
        m_listeners.removeAt(i);
        return;
    }
    TAVRIN_THROW_AT(CInvalidOperationException, "Could not find registered listener\n", C_SOURCE, 357);
}

void CWindow::removeAllListeners()
{
    // Releasing may run a listener's destructor; it must see an empty list.
    CArray<CManagedPtr<CWindowEventListener>> released(m_listeners);
    m_listeners.clear();
}

void CWindow::setStatusText(const CArray<SWindowTextSegment>& segments)
{
    // Polled every few milliseconds: only a change repaints.
    bool same = segments.getCount() == m_statusText.getCount();
    for (uint64_t i = 0; same && i < segments.getCount(); ++i)
        same = segments[i] == m_statusText[i];
    if (same)
        return;
    m_statusText = segments;
    _showStatusText();
}

} // namespace Engine
} // namespace Tavrin
