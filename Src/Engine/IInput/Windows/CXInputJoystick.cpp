#include "Engine/IInput/Windows/CXInputJoystick.h"

namespace Tavrin {
namespace Engine {

namespace {

// Button bits of the gamepad in the joystick's button order; 0 marks the
// button that the gamepad lacks (10).
const WORD C_BUTTON_BITS[CXInputJoystick::C_XINPUT_BUTTONS] = {
    XINPUT_GAMEPAD_A,          XINPUT_GAMEPAD_B,          XINPUT_GAMEPAD_X,          XINPUT_GAMEPAD_Y,
    XINPUT_GAMEPAD_LEFT_SHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER, XINPUT_GAMEPAD_BACK,   XINPUT_GAMEPAD_START,
    XINPUT_GAMEPAD_LEFT_THUMB, XINPUT_GAMEPAD_RIGHT_THUMB, 0,                         XINPUT_GAMEPAD_DPAD_UP,
    XINPUT_GAMEPAD_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_DOWN,  XINPUT_GAMEPAD_DPAD_LEFT,
};

float stick(SHORT value)
{
    float v = static_cast<float>(value) * 3.0518509e-5f;
    if (v < -1.0f)
        return -1.0f;
    return v > 1.0f ? 1.0f : v;
}

float trigger(BYTE value)
{
    return static_cast<float>(value) * 0.003921569f;
}

} // namespace

CXInputJoystick::CXInputJoystick(void* window, uint32_t foregroundOnly, uint32_t index, const SXInputEntryPoints& xinput)
    : CJoystick(window, foregroundOnly), m_controllerIndex(index), m_xinput(xinput)
{
    m_active = true;
    for (uint32_t i = 0; i < C_XINPUT_AXES; ++i)
        m_axisPresent[i] = true;
    m_arrowPresent[0] = true;
}

CXInputJoystick::~CXInputJoystick() = default;

void CXInputJoystick::update(float)
{
    XINPUT_STATE state{};
    if (m_xinput.getState(m_controllerIndex, &state) != ERROR_SUCCESS)
    {
        resetState();
        m_active = false;
        return;
    }
    m_active = true;
    SReading reading = decodeGamepad(state.Gamepad);
    _setPadState(reading.buttons, C_XINPUT_BUTTONS, reading.rawAxes, C_XINPUT_AXES, reading.arrow);
}

void CXInputJoystick::setVibration(float left, float right)
{
    CJoystick::setVibration(left, right);
    if (!m_active)
        return;
    XINPUT_VIBRATION vibration{};
    vibration.wLeftMotorSpeed = static_cast<WORD>(m_vibrationLeft * 65535.0f);
    vibration.wRightMotorSpeed = static_cast<WORD>(m_vibrationRight * 65535.0f);
    m_xinput.setState(m_controllerIndex, &vibration);
}

CXInputJoystick::SReading CXInputJoystick::decodeGamepad(const XINPUT_GAMEPAD& pad)
{
    SReading reading;
    for (uint32_t i = 0; i < C_XINPUT_BUTTONS; ++i)
        reading.buttons[i] = (pad.wButtons & C_BUTTON_BITS[i]) != 0;
    // Up is negative on the joystick's vertical axes, positive on the pad's.
    reading.rawAxes[0] = stick(pad.sThumbLX);
    reading.rawAxes[1] = -stick(pad.sThumbLY);
    reading.rawAxes[2] = stick(pad.sThumbRX);
    reading.rawAxes[3] = -stick(pad.sThumbRY);
    reading.rawAxes[4] = trigger(pad.bLeftTrigger);
    reading.rawAxes[5] = trigger(pad.bRightTrigger);
    reading.arrow = decodePad(pad.wButtons);
    return reading;
}

float CXInputJoystick::decodePad(WORD buttons)
{
    uint32_t k = ((buttons & XINPUT_GAMEPAD_DPAD_UP) ? 1 : 0) | ((buttons & XINPUT_GAMEPAD_DPAD_RIGHT) ? 2 : 0) |
                 ((buttons & XINPUT_GAMEPAD_DPAD_DOWN) ? 4 : 0) | ((buttons & XINPUT_GAMEPAD_DPAD_LEFT) ? 8 : 0);
    return directionArrow(k);
}

} // namespace Engine
} // namespace Tavrin
