#include "Engine/IInput/CJoystick.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <cfloat>
#include <cmath>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_SOURCE = "Engine/IInput/CJoystick";

// NaN and everything not above 0 give 0.
float clampUnit(float value)
{
    if (!(value > 0.0f))
        return 0.0f;
    return value >= 1.0f ? 1.0f : value;
}

} // namespace

CJoystick::CJoystick(void* window, uint32_t foregroundOnly)
    : CInputDevice(window, foregroundOnly)
    , m_active(false)
    , m_vibrationLeft(0.0f)
    , m_vibrationRight(0.0f)
    , m_calibrated(false)
{
    for (uint32_t i = 0; i < C_AXIS_COUNT; ++i)
    {
        m_axisPresent[i] = false;
        m_deadZones[i] = C_DEFAULT_DEAD_ZONE;
        m_axisMin[i] = -1.0f;
        m_axisMax[i] = 1.0f;
    }
    for (uint32_t i = 0; i < C_ARROW_COUNT; ++i)
        m_arrowPresent[i] = false;
    resetState();
}

CJoystick::~CJoystick() = default;

void CJoystick::update(float)
{
}

void CJoystick::_throwInvalidId(const char* details, int32_t line)
{
    TAVRIN_THROW_AT(CInvalidArgumentException, details, C_SOURCE, line);
}

void CJoystick::resetState()
{
    for (bool& button : m_buttons)
        button = false;
    for (float& axis : m_axes)
        axis = 0.0f;
    for (float& arrow : m_arrows)
        arrow = C_ARROW_CENTRED;
}

float CJoystick::mapAxis(float raw, uint32_t axis) const
{
    if (axis >= C_AXIS_COUNT)
        _throwInvalidId("Invalid axis ID\n", __LINE__);
    float d = m_deadZones[axis];
    // A dead zone of the whole travel switches the axis off instead of
    // dividing by zero.
    if (d >= 1.0f)
        return 0.0f;
    float t;
    if (raw >= 0.0f)
        t = clampUnit(raw - d) / (1.0f - d);
    else
        t = -clampUnit(-raw - d) / (1.0f - d);
    float u = (t + 1.0f) * 0.5f;
    return (1.0f - u) * m_axisMin[axis] + u * m_axisMax[axis];
}

void CJoystick::calibrateAxes()
{
    if (m_calibrated)
        return;
    // Wait for the first poll in which something moved: a device often
    // reports all zeros until it has been touched.
    bool moved = false;
    for (float axis : m_axes)
        if (std::fabs(axis) > FLT_EPSILON)
            moved = true;
    if (!moved)
        return;
    log("Calibrating axes ranges..\n");
    m_calibrated = true;
    for (uint32_t j = 0; j < C_AXIS_COUNT; ++j)
    {
        if (!(m_axes[j] < -0.999f))
            continue;
        log("Recalibrated default value for axis %d\n", static_cast<int>(j));
        float u = (m_axes[j] - m_axisMin[j]) / (m_axisMax[j] - m_axisMin[j]);
        m_axisMin[j] = 0.0f;
        m_axes[j] = u * m_axisMax[j];
    }
}

void CJoystick::arrowDirections(float arrow, bool directions[4])
{
    // The windows overlap so that a diagonal presses both its directions.
    bool centred = arrow < 0.0f;
    directions[0] = !centred && (arrow <= 0.126f || arrow >= 0.874f);
    directions[1] = !centred && arrow >= 0.124f && arrow <= 0.376f;
    directions[2] = !centred && arrow >= 0.324f && arrow <= 0.626f;
    directions[3] = !centred && arrow >= 0.624f && arrow <= 0.876f;
}

float CJoystick::directionArrow(uint32_t bits)
{
    static const float s_arrows[16] = {
        -1.0f, 0.0f, 0.25f, 0.125f, 0.5f, -1.0f, 0.375f, 0.25f, 0.75f, 0.875f, -1.0f, 0.0f, 0.625f, 0.75f, 0.5f, -1.0f,
    };
    return s_arrows[bits & 15u];
}

void CJoystick::_setPadState(const bool* buttons, uint32_t buttonCount, const float* rawAxes, uint32_t axisCount, float arrow)
{
    for (uint32_t i = 0; i < buttonCount; ++i)
        m_buttons[i] = buttons[i];
    for (uint32_t i = 0; i < axisCount; ++i)
        m_axes[i] = mapAxis(rawAxes[i], i);
    m_arrows[0] = arrow;
    calibrateAxes();
}

void CJoystick::_setHat(uint32_t arrow, float value, const bool directions[4], uint64_t firstButton)
{
    m_arrows[arrow] = value;
    for (uint32_t d = 0; d < 4; ++d)
        if (firstButton + d < C_BUTTON_COUNT)
            m_buttons[firstButton + d] = directions[d];
}

void CJoystick::setDeadZone(uint32_t axis, float value)
{
    value = clampUnit(value);
    if (axis == C_ALL_AXES)
    {
        for (float& deadZone : m_deadZones)
            deadZone = value;
    }
    else if (axis < C_AXIS_COUNT)
        m_deadZones[axis] = value;
    else
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid axis ID\n", C_SOURCE, 133);
}

void CJoystick::setVibration(float left, float right)
{
    m_vibrationLeft = clampUnit(left);
    m_vibrationRight = clampUnit(right);
}

float CJoystick::getDeadZone(uint32_t axis) const
{
    if (axis >= C_AXIS_COUNT)
        _throwInvalidId("Invalid axis ID\n", __LINE__);
    return m_deadZones[axis];
}

float CJoystick::getAxisMin(uint32_t axis) const
{
    if (axis >= C_AXIS_COUNT)
        _throwInvalidId("Invalid axis ID\n", __LINE__);
    return m_axisMin[axis];
}

float CJoystick::getAxisMax(uint32_t axis) const
{
    if (axis >= C_AXIS_COUNT)
        _throwInvalidId("Invalid axis ID\n", __LINE__);
    return m_axisMax[axis];
}

} // namespace Engine
} // namespace Tavrin
