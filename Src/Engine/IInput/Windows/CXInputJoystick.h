#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IInput/Windows/SXInputEntryPoints.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A controller read through XInput by user index 0 to 3, with a fixed
// layout: 15 buttons, 6 axes (left stick, right stick, triggers) and the pad
// as arrow 0. The window's focus does not matter to it.
class CXInputJoystick : public CJoystick
{
public:
    static constexpr uint32_t C_XINPUT_BUTTONS = 15;
    static constexpr uint32_t C_XINPUT_AXES = 6;

    // One gamepad state before the dead zones and ranges.
    struct SReading
    {
        bool buttons[C_XINPUT_BUTTONS];
        float rawAxes[C_XINPUT_AXES];
        float arrow;
    };

    CXInputJoystick(void* window, uint32_t foregroundOnly, uint32_t index, const SXInputEntryPoints& xinput = getSystemXInput());
    ~CXInputJoystick() override;

    void update(float dt) override;
    // Stores both strengths and, while the controller answers, sends them.
    void setVibration(float left, float right) override;

    static SReading decodeGamepad(const XINPUT_GAMEPAD& pad);
    // Arrow value of the pad's four direction bits; opposite directions
    // pressed together cancel out.
    static float decodePad(WORD buttons);

    uint32_t getControllerIndex() const { return m_controllerIndex; }

private:
    uint32_t m_controllerIndex;
    SXInputEntryPoints m_xinput;
};

} // namespace Engine
} // namespace Tavrin
