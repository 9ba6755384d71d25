#pragma once

#include "Engine/IInput/CInputDevice.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The platform-neutral game controller: buttons, axes, hat arrows and two
// vibration motors, with the axis processing every backend shares. Backends
// fill the state in update; this class polls nothing.
class CJoystick : public CInputDevice
{
public:
    static constexpr uint32_t C_BUTTON_COUNT = 128;
    static constexpr uint32_t C_AXIS_COUNT = 8;
    static constexpr uint32_t C_ARROW_COUNT = 4;
    // setDeadZone's axis for every axis at once.
    static constexpr uint32_t C_ALL_AXES = 0xFFFFFFFFu;
    static constexpr float C_DEFAULT_DEAD_ZONE = 0.065f;
    static constexpr float C_ARROW_CENTRED = -1.0f;

    CJoystick(void* window, uint32_t foregroundOnly);
    ~CJoystick() override;

    void update(float dt) override;
    // Stores both strengths clamped to [0, 1]; backends may also send them.
    virtual void setVibration(float left, float right);
    // value clamped to [0, 1]; axis C_ALL_AXES sets all eight.
    virtual void setDeadZone(uint32_t axis, float value);

    // Buttons off, axes 0, arrows centred; settings and present flags stay.
    void resetState();
    // The output value of an axis for a raw value in [-1, 1].
    float mapAxis(float raw, uint32_t axis) const;
    // Once per device: an axis resting at its negative end is moved to read
    // 0 at rest. Backends call it after every successful poll.
    void calibrateAxes();
    // The direction buttons (up, right, down, left) a hat's arrow presses.
    static void arrowDirections(float arrow, bool directions[4]);
    // The arrow of a pad's direction bits (up 1, right 2, down 4, left 8);
    // opposite directions pressed together cancel out.
    static float directionArrow(uint32_t bits);

    bool getButton(uint32_t id) const
    {
        if (id >= C_BUTTON_COUNT)
            _throwInvalidId("Invalid button ID\n", __LINE__);
        return m_buttons[id];
    }
    float getAxis(uint32_t id) const
    {
        if (id >= C_AXIS_COUNT)
            _throwInvalidId("Invalid axis ID\n", __LINE__);
        return m_axes[id];
    }
    bool hasAxis(uint32_t id) const
    {
        if (id >= C_AXIS_COUNT)
            _throwInvalidId("Invalid axis ID\n", __LINE__);
        return m_axisPresent[id];
    }
    // -1 when centred, else the fraction of a turn clockwise from up.
    float getArrow(uint32_t id) const
    {
        if (id >= C_ARROW_COUNT)
            _throwInvalidId("Invalid arrow ID\n", __LINE__);
        return m_arrows[id];
    }
    bool hasArrow(uint32_t id) const
    {
        if (id >= C_ARROW_COUNT)
            _throwInvalidId("Invalid arrow ID\n", __LINE__);
        return m_arrowPresent[id];
    }

    bool isActive() const { return m_active; }
    bool isCalibrated() const { return m_calibrated; }
    float getDeadZone(uint32_t axis) const;
    float getAxisMin(uint32_t axis) const;
    float getAxisMax(uint32_t axis) const;
    float getVibrationLeft() const { return m_vibrationLeft; }
    float getVibrationRight() const { return m_vibrationRight; }

protected:
    [[noreturn]] static void _throwInvalidId(const char* details, int32_t line);
    // A hat as arrow `arrow` and as its direction buttons from `firstButton`
    // on, as far as they fit: a device with many buttons keeps them all.
    void _setHat(uint32_t arrow, float value, const bool directions[4], uint64_t firstButton);
    // One state of a pad laid out as the XInput joystick: its first buttons,
    // its first axes (raw, before dead zones and ranges) and arrow 0.
    void _setPadState(const bool* buttons, uint32_t buttonCount, const float* rawAxes, uint32_t axisCount, float arrow);

    bool m_active;
    bool m_buttons[C_BUTTON_COUNT];
    bool m_axisPresent[C_AXIS_COUNT];
    float m_axes[C_AXIS_COUNT];
    float m_deadZones[C_AXIS_COUNT];
    float m_axisMin[C_AXIS_COUNT];
    float m_axisMax[C_AXIS_COUNT];
    bool m_arrowPresent[C_ARROW_COUNT];
    float m_arrows[C_ARROW_COUNT];
    float m_vibrationLeft;
    float m_vibrationRight;
    bool m_calibrated;
};

} // namespace Engine
} // namespace Tavrin
