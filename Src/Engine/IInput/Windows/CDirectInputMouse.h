#pragma once

#include "Engine/IInput/CMouse.h"
#include "Engine/IInput/Windows/DirectInput.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The system mouse through DirectInput 8, in relative mode: motion and wheel
// since the previous poll.
class CDirectInputMouse : public CMouse
{
public:
    // Takes over the one reference the creator holds on device.
    CDirectInputMouse(void* window, uint32_t foregroundOnly, IDirectInputDevice8A* device);
    ~CDirectInputMouse() override;

    void update(float dt) override;

    bool isActive() const { return m_active; }

private:
    IDirectInputDevice8A* m_device;
    bool m_active;
};

} // namespace Engine
} // namespace Tavrin
