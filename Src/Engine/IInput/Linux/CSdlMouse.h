#pragma once

#include "Engine/IInput/CMouse.h"
#include "Engine/IInput/Linux/CSdlEventSink.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The mouse through SDL: relative motion and wheel since the previous
// update, gathered from the shared event pump. The pointer is neither
// grabbed nor hidden, so motion is seen while it is over an engine window.
class CSdlMouse : public CMouse, public CSdlEventSink
{
public:
    // window is the SDL_Window the mouse is bound to.
    CSdlMouse(void* window, uint32_t foregroundOnly);
    ~CSdlMouse() override;

    void update(float dt) override;
    void onSdlEvent(const SDL_Event& event) override;

    // False while foregroundOnly and the window does not have the focus.
    bool isActive() const { return m_active; }

private:
    void _clearPending();

    int32_t m_pendingX;
    int32_t m_pendingY;
    float m_pendingWheel;
    bool m_active;
};

} // namespace Engine
} // namespace Tavrin
