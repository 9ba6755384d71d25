#pragma once

#include "Engine/IInput/Linux/CSdlEventSink.h"
#include "Engine/IInput/Linux/CSdlX11Connection.h"
#include "Engine/IInput/TKeyCode.h"
#include "Engine/IKernel/Types/CArray.h"

#include <SDL_events.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The process's one SDL event pump. SDL has a single queue for every window
// and device, while windows pump "their own" messages and the mouse reads in
// its own update: whoever pumps hands every registered window its events
// (by SDL window id) and every mouse the motion and wheel, so no consumer
// takes another's events. Joystick and controller events are dropped: those
// devices read their state directly.
// Key events leave it naming the physical key in keysym.scancode, and with
// the engine's code for it, under the layout active when it came, in
// keysym.unused (see codeOf).
class CSdlEventPump
{
public:
    static CSdlEventPump& get();

    // The key code of a key event from the pump (SDL 2 leaves the field unused).
    static TKeyCode codeOf(const SDL_KeyboardEvent& key) { return static_cast<TKeyCode>(key.keysym.unused); }
    // The X server under the windows, while one is on X11.
    const CSdlX11Connection& getX11() const { return m_x11; }

    // Events of the SDL window with this id go to sink (one sink per window).
    void addWindow(uint32_t windowId, CSdlEventSink* sink);
    void removeWindow(uint32_t windowId);
    // Motion and wheel events, whatever their window, go to sink too.
    void addMouse(CSdlEventSink* sink);
    void removeMouse(CSdlEventSink* sink);

    // Hands on every queued event; the rest is dropped. Reads the platform
    // first unless a poll pass just did (beginPass).
    void pump();
    // Starts a poll pass: reads the platform once and hands its events on,
    // so that the mouse sees them in this pass and the window's pump that
    // follows need not read the platform again.
    void beginPass();
    // Drops queued joystick and game-controller events.
    void dropJoystickEvents();

    // How often the platform was read (SDL_PumpEvents): at most once per
    // poll pass; on X11 only when the server sent something, or a while ago.
    uint64_t getPlatformReads() const { return m_platformReads; }

private:
    CSdlEventPump() = default;
    void _readPlatform();
    void _routeQueued();
    // NOTE: SDL's Wayland driver changes its keymap to the compositor's group
    // while it reads, before the keys of the same read are routed: their
    // codes are taken as SDL queues them (an event watch).
    static int _onQueued(void* pump, SDL_Event* event);
    void _route(SDL_Event& event);
    void _deliver(SDL_Event& event);
    void _placeKey(SDL_KeyboardEvent& key);
    void _applyX11Key(SDL_KeyboardEvent& key);
    void _flushX11Key();
    uint32_t _windowOfX11(unsigned long window) const;
    CSdlEventSink* _findWindow(uint32_t windowId) const;

    struct _SWindowSink
    {
        uint32_t windowId;
        CSdlEventSink* sink;
    };
    CArray<_SWindowSink> m_windows;
    CArray<CSdlEventSink*> m_mice;
    CSdlX11Connection m_x11;
    // The X key event SDL's key event, if any, follows at once.
    SSdlX11Key m_x11Key = {};
    bool m_hasX11Key = false;
    // Presses SDL reported without their X event (an input method took it),
    // by SDL's scancode: their releases keep that name.
    bool m_pressedAlone[SDL_NUM_SCANCODES] = {};
    uint64_t m_lastRead = 0;
    uint64_t m_platformReads = 0;
    bool m_passRead = false;
};

} // namespace Engine
} // namespace Tavrin
