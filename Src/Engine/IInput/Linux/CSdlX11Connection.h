#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The X server connection under SDL's windows, for asking cheaply whether
// anything arrived that SDL has not read yet. Other video drivers have none.
class CSdlX11Connection
{
public:
    // Takes the connection of the SDL window with this id; false when it has
    // none (no such window, or not on X11).
    bool attach(uint32_t windowId);
    void detach() { m_display = nullptr; }
    bool isAttached() const { return m_display != nullptr; }

    // Whether events wait, read by Xlib or still on the socket.
    bool hasInput() const;

private:
    void* m_display = nullptr;
};

} // namespace Engine
} // namespace Tavrin
