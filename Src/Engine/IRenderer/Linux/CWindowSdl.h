#pragma once

#include "Engine/IInput/Linux/CSdlEventSink.h"
#include "Engine/IInput/Linux/CSdlLibrary.h"
#include "Engine/IInput/TKeyCode.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IRenderer/CWindow.h"

#include <SDL_events.h>
#include <SDL_video.h>

#include <cstdint>
#include <memory>

namespace Tavrin {
namespace Engine {

// An engine window backed by an SDL window; the handle is the SDL_Window.
// Its events come from the process's shared event pump and are turned into
// window events when this window pumps. SDL 2 has no child windows: a window
// with a parent opens as a top-level window.
class CWindowSdl : public CWindow, public CSdlEventSink
{
public:
    CWindowSdl(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags);
    // Destroys the SDL window at once; its queued events are dropped.
    ~CWindowSdl() override;

    void setSize(uint32_t width, uint32_t height) override;
    void show() override;
    void hide() override;
    // Queues a close request, as the user's close box does.
    void close() override;
    // Pumps SDL, then hands this window's events to its listeners in order.
    void processMessages() override;
    void setTitle(const CString& title) override;
    void setPosition(int32_t x, int32_t y) override;

    // Keeps the event until this window pumps.
    void onSdlEvent(const SDL_Event& event) override;
    // One SDL event of this window turned into window events.
    void handleEvent(const SDL_Event& event);

    bool isCreated() const { return m_created; }

protected:
    void _refreshClientArea() override;
    void _createNativeWindow() override;
    void _showStatusText() override;

private:
    uint32_t _sdlFlags() const;
    void _readBack();
    void _destroyNative();
    void _onWindowEvent(const SDL_WindowEvent& event);
    void _onKey(const SDL_KeyboardEvent& key);
    // The code a press or release of a physical key gives; C_KEY_NONE for
    // none, a repeat or a stale release.
    TKeyCode _codeOfKey(const SDL_KeyboardEvent& key);
    void _onText(const SDL_TextInputEvent& text);
    void _onButton(const SDL_MouseButtonEvent& button);
    bool _isAltReturn(const SDL_KeyboardEvent& key) const;
    void _borders(int& top, int& left, int& bottom, int& right) const;
    // Fills the client area with the background colour, writes the title and
    // the status text in it and presents it.
    void _paint();

    SDL_Window* _window() const { return static_cast<SDL_Window*>(m_handle); }

    std::unique_ptr<CSdlLibrary> m_library;
    bool m_created;
    uint32_t m_windowId;
    CArray<SDL_Event> m_pending;
    // The code each physical key's press gave (C_KEY_NONE: not pressed here).
    TKeyCode m_codeOfKey[SDL_NUM_SCANCODES];
    uint64_t m_nextPending;
};

} // namespace Engine
} // namespace Tavrin
