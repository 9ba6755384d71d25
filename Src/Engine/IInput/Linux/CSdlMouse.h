#pragma once

#include "Engine/IInput/CMouse.h"
#include "Engine/IInput/Linux/CSdlEventSink.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The mouse through SDL: relative motion and wheel since the previous
// update, gathered from the shared event pump (the input manager reads SDL
// once per pass). While its window has the keyboard focus the mouse holds
// SDL's relative mode: the pointer is locked to the window and hidden, the
// wheel reaches the window wherever the pointer was, and motion comes in
// the device's raw units where the platform offers them (XInput 2, Wayland's
// relative pointer), as the DirectInput mouse reads in foreground mode.
class CSdlMouse : public CMouse, public CSdlEventSink
{
public:
    // window is the SDL_Window the mouse is bound to.
    CSdlMouse(void* window, uint32_t foregroundOnly);
    // Gives the pointer back, shown and where it was, if the mouse held it.
    ~CSdlMouse() override;

    void update(float dt) override;
    void onSdlEvent(const SDL_Event& event) override;

    // False while foregroundOnly and the window does not have the focus.
    bool isActive() const { return m_active; }
    // Whether this mouse holds SDL's relative mode now.
    bool holdsPointer() const { return m_holdsPointer; }

private:
    void _holdPointer(bool hold);
    void _clearPending();

    int32_t m_pendingX;
    int32_t m_pendingY;
    float m_pendingWheel;
    bool m_active;
    bool m_holdsPointer;
    bool m_pointerRefused;
    // Another program held the pointer when this mouse asked for it.
    bool m_pointerBusy;
    // Where the pointer was when the mouse took it, on the desktop.
    int m_pointerX;
    int m_pointerY;
};

} // namespace Engine
} // namespace Tavrin
