#pragma once

#include "Engine/IInput/Linux/CSdlEventSink.h"
#include "Engine/IInput/Linux/CSdlX11Connection.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The process's one SDL event pump. SDL has a single queue for every window
// and device, while windows pump "their own" messages and the mouse reads in
// its own update: whoever pumps hands every registered window its events
// (by SDL window id) and every mouse the motion and wheel, so no consumer
// takes another's events. Joystick and controller events are dropped: those
// devices read their state directly.
class CSdlEventPump
{
public:
    static CSdlEventPump& get();

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
    void _route(SDL_Event& event);
    CSdlEventSink* _findWindow(uint32_t windowId) const;

    struct _SWindowSink
    {
        uint32_t windowId;
        CSdlEventSink* sink;
    };
    CArray<_SWindowSink> m_windows;
    CArray<CSdlEventSink*> m_mice;
    CSdlX11Connection m_x11;
    uint64_t m_lastRead = 0;
    uint64_t m_platformReads = 0;
    bool m_passRead = false;
};

} // namespace Engine
} // namespace Tavrin
