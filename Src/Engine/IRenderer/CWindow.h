#pragma once

#include "Engine/IInput/TKeyCode.h"
#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Patterns/CObservable.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"
#include "Engine/IRenderer/CRenderer.h"
#include "Engine/IRenderer/CSwapChain.h"
#include "Engine/IRenderer/CWindowEventListener.h"
#include "Engine/IRenderer/SWindowEvent.h"
#include "Engine/IRenderer/SWindowTextSegment.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// An engine window: turns native messages into window events and hands each
// to its listeners, in registration order. Windows are made by a window
// manager; the native window is created on the first show or createSwapChain.
class CWindow : public CManaged, public CObservable
{
public:
    // Creation flags.
    static const uint32_t C_WINDOW_POPUP = 1;
    static const uint32_t C_WINDOW_CAPTION_FRAME = 2;
    static const uint32_t C_WINDOW_CENTRED = 4;
    static const uint32_t C_WINDOW_SWAP_CHAIN_OPTION_3 = 8;
    static const uint32_t C_WINDOW_SWAP_CHAIN_OPTION_2 = 16;
    static const uint32_t C_WINDOW_SWAP_CHAIN_OPTION_1 = 32;
    static const uint32_t C_WINDOW_NO_MINIMIZE_MAXIMIZE = 64;

    static const uint32_t C_SWAP_CHAIN_COLOUR_FORMAT = 29;
    static const uint32_t C_SWAP_CHAIN_DEPTH_FORMAT = 45;

    CWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags);
    // Reports nothing: input still held was let go by the derived class's teardown.
    ~CWindow() override;

    // The mouse-button key codes (1, 2, 4, 5, 6).
    static bool isMouseButtonCode(uint32_t code);

    // Events, forwarded to every listener.
    virtual void onMove(int32_t x, int32_t y);
    virtual void onResize(uint32_t width, uint32_t height);
    virtual void onChar(const SWindowEvent& event);
    virtual void onKeyDown(const SWindowEvent& event);
    virtual void onKeyUp(const SWindowEvent& event);
    virtual void onMouseWheel(float delta);
    virtual void onMouseMove(uint16_t x, uint16_t y);
    virtual void onMouseButtonDown(uint32_t button, uint16_t x, uint16_t y);
    virtual void onMouseButtonUp(uint32_t button, uint16_t x, uint16_t y);
    virtual void onFocusGained();
    virtual void onFocusLost();
    virtual void onSetCursor();

    virtual void setSize(uint32_t width, uint32_t height);
    // Creates the native window on first use; a closed window stays closed.
    virtual void show() = 0;
    virtual void hide() = 0;
    // Asks the native window to close; `closed` follows once it is gone.
    virtual void close() = 0;
    // Pumps the messages of this window only.
    virtual void processMessages() = 0;
    virtual void setTitle(const CString& title);
    virtual void setPosition(int32_t x, int32_t y);
    // Creates the native window if needed, then a swap chain unless one exists.
    virtual void createSwapChain(CRenderer* renderer);
    // The window keeps a reference; a listener added twice is called twice.
    virtual void addListener(CWindowEventListener* listener);
    // Removes the first registration of the listener.
    virtual void removeListener(CWindowEventListener* listener);
    virtual void removeAllListeners();
    // Text shown in the client area of a window without a swap chain, below
    // what it shows already; the window repaints when the text changes.
    void setStatusText(const CArray<SWindowTextSegment>& segments);
    const CArray<SWindowTextSegment>& getStatusText() const { return m_statusText; }

    void* getHandle() const { return m_handle; }
    void* getParentHandle() const { return m_parentHandle; }
    const CString& getTitle() const { return m_title; }
    // The size last recorded (see onResize).
    uint32_t getWidth() const { return m_width; }
    uint32_t getHeight() const { return m_height; }
    uint32_t getClientWidth() const { return m_clientWidth; }
    uint32_t getClientHeight() const { return m_clientHeight; }
    int32_t getX() const { return m_x; }
    int32_t getY() const { return m_y; }
    int32_t getClientX() const { return m_clientX; }
    int32_t getClientY() const { return m_clientY; }
    uint32_t getFlags() const { return m_flags; }
    bool isActive() const { return m_active; }
    bool isClosed() const { return m_closed; }
    bool isFocused() const { return m_focused; }
    // A key or mouse button (by key code) pressed here and not yet released.
    bool isKeyDown(TKeyCode code) const { return code >= 0 && code < C_KEY_COUNT && m_keyDown[code]; }
    // False while minimised; refreshed by processMessages.
    bool isVisible() const { return m_visible; }
    CSwapChain* getSwapChain() const { return m_swapChain.get(); }
    uint32_t getListenerCount() const { return static_cast<uint32_t>(m_listeners.getCount()); }
    CWindowEventListener* getListener(uint32_t index) const { return m_listeners.at(index).get(); }

protected:
    // Platform hooks: read the client area back from the native window, show
    // the engine's mouse cursor, create the native window if not done yet.
    virtual void _refreshClientArea() {}
    virtual void _applyCursor() {}
    virtual void _createNativeWindow() {}
    // The status text changed: the platform shows it.
    virtual void _showStatusText() {}
    // Reports a release of every key and mouse button still held here, all at
    // once: once the focus or the window is gone, their releases would reach
    // no one.
    void _releaseHeldInput();
    // The same for destructors, which call it first, while the native window
    // and the whole object still exist; what a listener throws is logged.
    void _releaseHeldInputOnTeardown();
    // Alt+Return: the swap chain between windowed and full screen; without
    // one there is nothing to toggle.
    void _toggleFullscreen();

    // Keys and mouse buttons (by key code) pressed and not yet released.
    bool m_keyDown[C_KEY_COUNT];

    template <typename TCall>
    void _forEachListener(TCall call);

    void* m_handle;
    void* m_parentHandle;
    CString m_title;
    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_clientWidth;
    uint32_t m_clientHeight;
    bool m_active;
    uint32_t m_flags;
    bool m_closed;
    int32_t m_x;
    int32_t m_y;
    int32_t m_clientX;
    int32_t m_clientY;
    CManagedPtr<CSwapChain> m_swapChain;
    CArray<CManagedPtr<CWindowEventListener>> m_listeners;
    bool m_focused;
    bool m_visible;
    CArray<SWindowTextSegment> m_statusText;
};

// Each listener is held while it runs, so that it may unregister itself.
template <typename TCall>
void CWindow::_forEachListener(TCall call)
{
    for (uint64_t i = 0; i < m_listeners.getCount(); ++i)
    {
        CManagedPtr<CWindowEventListener> listener = m_listeners[i];
        call(listener.get());
    }
}

} // namespace Engine
} // namespace Tavrin
