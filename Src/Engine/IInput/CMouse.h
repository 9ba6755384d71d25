#pragma once

#include "Engine/IInput/CInputDevice.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The platform-neutral mouse: motion and wheel since the previous poll.
// Buttons reach the mapper through window events, not through this device.
class CMouse : public CInputDevice
{
public:
    CMouse(void* window, uint32_t foregroundOnly);
    ~CMouse() override;

    // The neutral mouse reads nothing; platform mice replace this.
    void update(float dt) override;
    void resetState();

    // Mickeys, positive to the right.
    int32_t getDeltaX() const { return m_deltaX; }
    // Mickeys, positive downwards.
    int32_t getDeltaY() const { return m_deltaY; }
    // Notches, positive away from the user.
    float getWheel() const { return m_wheel; }

protected:
    int32_t m_deltaX;
    int32_t m_deltaY;
    float m_wheel;
};

} // namespace Engine
} // namespace Tavrin
