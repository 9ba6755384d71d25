#pragma once

#include "Engine/IInput/TKeyCode.h"
#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IRenderer/SWindowEvent.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CWindow;

// Receives the events of the windows it is registered with; every operation
// does nothing unless overridden.
class CWindowEventListener : public CManaged
{
public:
    virtual void onMove(CWindow* /*window*/, int32_t /*x*/, int32_t /*y*/) {}
    virtual void onResize(CWindow* /*window*/, uint32_t /*width*/, uint32_t /*height*/) {}
    virtual void onChar(CWindow* /*window*/, const SWindowEvent& /*event*/) {}
    virtual void onKeyDown(CWindow* /*window*/, const SWindowEvent& /*event*/) {}
    virtual void onKeyUp(CWindow* /*window*/, const SWindowEvent& /*event*/) {}
    // Notches, positive away from the user.
    virtual void onMouseWheel(CWindow* /*window*/, float /*delta*/) {}
    // Client coordinates.
    virtual void onMouseMove(CWindow* /*window*/, uint16_t /*x*/, uint16_t /*y*/) {}
    // Buttons are the mouse-button key codes.
    virtual void onMouseButtonDown(CWindow* /*window*/, uint32_t /*button*/, uint16_t /*x*/, uint16_t /*y*/) {}
    virtual void onMouseButtonUp(CWindow* /*window*/, uint32_t /*button*/, uint16_t /*x*/, uint16_t /*y*/) {}
    virtual void onFocusGained(CWindow* /*window*/) {}
    virtual void onFocusLost(CWindow* /*window*/) {}
    virtual void onSetCursor(CWindow* /*window*/) {}
    // Keys and mouse buttons (key codes, ascending) let go all at once because
    // the focus or the window went. By default each is reported as its own
    // onKeyUp or onMouseButtonUp (at 0, 0), in that order.
    virtual void onHeldInputReleased(CWindow* window, const CArray<TKeyCode>& codes);
};

} // namespace Engine
} // namespace Tavrin
