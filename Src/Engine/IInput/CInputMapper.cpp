#include "Engine/IInput/CInputMapper.h"

#include "Engine/IInput/CJoystick.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/CTimer.h"

#include <cfloat>
#include <cmath>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_SOURCE = "Engine/IInput/CInputMapper";
const double C_DOUBLE_PRESS_SECONDS = 0.3;
const uint32_t C_JOYSTICK_COUNT = 4;

bool isMouseButton(uint32_t button)
{
    return button >= 1 && button <= 6;
}

float clampUnit(float value)
{
    return value < -1.0f ? -1.0f : (value > 1.0f ? 1.0f : value);
}

} // namespace

CInputMapper::CInputMapper()
    : m_events(new CArray<SInputEvent>())
    , m_bindings(new CArray<SInputEventKeys>())
    , m_keyStatus(new CArray<SKeyStatus>(C_KEY_COUNT))
    , m_detectionState(Idle)
    , m_detectionThreshold(0.025f)
    , m_bindingsDirty(false)
    , m_mouseSensitivity(5.0f)
    , m_joystickExponent{2.0f, 2.0f, 2.0f, 2.0f}
    , m_timeStep(0.01f)
{
}

CInputMapper::~CInputMapper()
{
    delete m_keyStatus;
    delete m_events;
    delete m_bindings;
}

void CInputMapper::setKey(TKeyCode code, bool pressed, float value)
{
    SKeyStatus& status = _status(code);
    bool wasPressed = status.pressed;
    status.pressed = pressed;
    status.value = value;

    if (m_detectionState >= Waiting && pressed)
    {
        _recordDetectedKey(code, value);
        return;
    }
    if (m_bindings->getCount() > 0 && m_bindingsDirty)
        reindexBindings();
    if (!wasPressed && pressed)
        _onPress(code);
    else if (wasPressed && !pressed)
        _onRelease(code);
    _refreshEventValues(code);
}

void CInputMapper::keyDown(TKeyCode code)
{
    _status(code);
    setKey(code, true, 1.0f);
}

void CInputMapper::keyUp(TKeyCode code)
{
    setKey(code, false, 0.0f);
}

void CInputMapper::mouseButtonDown(uint32_t button)
{
    if (!isMouseButton(button))
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid mouse button code\n", C_SOURCE, 862);
    setKey(static_cast<TKeyCode>(button), true, 1.0f);
}

void CInputMapper::mouseButtonUp(uint32_t button)
{
    if (!isMouseButton(button))
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid mouse button code\n", C_SOURCE, 869);
    // A released button reads 0 like every other released key, so that it
    // adds nothing to the value of an event held through its other keys.
    setKey(static_cast<TKeyCode>(button), false, 0.0f);
}

void CInputMapper::feedMouseMotion(float dx, float dy)
{
    float scale = 1.0f / m_timeStep;
    float x = m_mouseSensitivity * dx * 3e-5f * scale;
    float y = m_mouseSensitivity * dy * 3e-5f * scale;
    setKey(C_KEY_MOUSE_AXIS_X, std::fabs(x) > FLT_EPSILON, x);
    setKey(C_KEY_MOUSE_AXIS_Y, std::fabs(y) > FLT_EPSILON, y);
}

void CInputMapper::feedMouseWheel(float w)
{
    // The wheel code carries the negated motion; the two direction codes
    // read 1 while the wheel turns their way.
    setKey(C_KEY_MOUSE_WHEEL, std::fabs(w) > FLT_EPSILON, clampUnit(-w));
    setKey(C_KEY_MOUSE_WHEEL_UP, w > FLT_EPSILON, w > 0.0f ? 1.0f : 0.0f);
    setKey(C_KEY_MOUSE_WHEEL_DOWN, w < -FLT_EPSILON, w < 0.0f ? 1.0f : 0.0f);
}

void CInputMapper::feedJoystick(uint32_t joystick, const CJoystick& device)
{
    if (joystick >= C_JOYSTICK_COUNT)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid joystick ID\n", C_SOURCE, 787);

    for (uint32_t b = 0; b < C_JOYSTICK_MAPPED_BUTTONS; ++b)
    {
        bool down = device.getButton(b);
        setKey(joystickButtonCode(joystick, b), down, down ? 1.0f : 0.0f);
    }
    float exponent = m_joystickExponent[joystick];
    for (uint32_t a = 0; a < C_JOYSTICK_MAPPED_AXES; ++a)
    {
        if (!device.hasAxis(a))
            continue;
        // The response curve keeps the sign of the deflection.
        float v = device.getAxis(a);
        float t = 0.0f;
        if (v > 0.0f)
            t = std::pow(v, exponent);
        else if (v < 0.0f)
            t = -std::pow(-v, exponent);
        setKey(joystickAxisCode(joystick, a), std::fabs(t) > FLT_EPSILON, t);
    }
    for (uint32_t r = 0; r < C_JOYSTICK_MAPPED_ARROWS; ++r)
    {
        if (!device.hasArrow(r))
            continue;
        float v = device.getArrow(r);
        setKey(joystickArrowCode(joystick, r), std::fabs(v + 1.0f) > FLT_EPSILON, v);
    }
}

void CInputMapper::update(float dt)
{
    m_timeStep = dt;
    if (m_detectionState != Recording)
        return;
    // Only keys held with a positive value keep a detection alive: negative
    // axes, a leftward mouse or an arrow pointing up (0) do not.
    const SKeyStatus* statuses = m_keyStatus->getData();
    uint64_t count = m_keyStatus->getCount();
    for (uint64_t i = 0; i < count; ++i)
        if (statuses[i].pressed && statuses[i].value > m_detectionThreshold)
            return;
    m_detectionState = Finished;
}

template <typename TPredicate>
void CInputMapper::_endReleasedBindings(TPredicate hasReleasedKey)
{
    CArray<uint32_t> candidates;
    for (uint32_t i = 0; i < m_bindings->getCount(); ++i)
    {
        if (!hasReleasedKey(m_bindings->at(i)) || _isBindingHeld(i))
            continue;
        _setEventActive(i, false);
        _collectHeldNeighbours(i, candidates);
    }
    _activateUncovered(candidates, true);
}

void CInputMapper::releaseAllKeys()
{
    CArray<TKeyCode> held;
    for (uint64_t i = 0; i < m_keyStatus->getCount(); ++i)
        if ((*m_keyStatus)[i].pressed)
            held.add(static_cast<TKeyCode>(i));
    releaseKeys(held);
}

void CInputMapper::releaseKeys(const CArray<TKeyCode>& codes)
{
    // Every code is checked before anything changes.
    for (TKeyCode code : codes)
        _status(code);
    // Released one by one, in any order, {Ctrl, S} would hand over to {S}
    // or {Ctrl} for a moment.
    CArray<TKeyCode> released;
    for (TKeyCode code : codes)
    {
        SKeyStatus& status = _status(code);
        if (!status.pressed)
            continue;
        status.pressed = false;
        status.value = 0.0f;
        status.doublePressed = false;
        released.add(code);
    }
    if (released.getCount() == 0 || m_bindings->getCount() == 0)
        return;
    if (m_bindingsDirty)
        reindexBindings();
    _endReleasedBindings([&](const SInputEventKeys& binding) {
        for (TKeyCode code : released)
            if (_bindingHasKey(binding, code))
                return true;
        return false;
    });
    for (TKeyCode code : released)
        _refreshEventValues(code);
}

void CInputMapper::startDetection(const CArray<TKeyCode>& abortKeyList)
{
    m_detectedKeys.clear();
    m_detectionState = Waiting;
    m_abortKeys = abortKeyList;
}

CArray<TKeyCode> CInputMapper::takeDetectedKeys()
{
    m_detectionState = Idle;
    return m_detectedKeys;
}

void CInputMapper::_recordDetectedKey(TKeyCode code, float value)
{
    if (m_abortKeys.indexOf(code) != CArray<TKeyCode>::C_NOT_FOUND)
    {
        m_detectedKeys.clear();
        m_detectionState = Aborted;
        return;
    }
    if (isJoystickArrow(code))
    {
        // Arrows rest at -1; any direction, up (0) included, counts.
        if (!(value >= 0.0f && value <= 1.0f))
            return;
    }
    else if (!(std::fabs(value) > m_detectionThreshold))
        return;

    if (m_detectionState == Waiting)
        m_detectionState = Recording;
    if (m_detectedKeys.indexOf(code) == CArray<TKeyCode>::C_NOT_FOUND)
        m_detectedKeys.add(code);
}

float CInputMapper::getJoystickExponent(uint32_t joystick) const
{
    if (joystick >= C_JOYSTICK_COUNT)
        TAVRIN_THROW(CInvalidArgumentException, "Invalid joystick ID\n", C_SOURCE);
    return m_joystickExponent[joystick];
}

void CInputMapper::setJoystickExponent(uint32_t joystick, float exponent)
{
    if (joystick >= C_JOYSTICK_COUNT)
        TAVRIN_THROW(CInvalidArgumentException, "Invalid joystick ID\n", C_SOURCE);
    m_joystickExponent[joystick] = exponent;
}

void CInputMapper::_onPress(TKeyCode code)
{
    SKeyStatus& status = _status(code);
    int64_t now = static_cast<int64_t>(CTimer::readCounter());
    // pressTime 0 means never pressed: the first press is never a double one,
    // however young the counter is.
    if (status.pressTime != 0 &&
        CTimer::secondsBetween(static_cast<uint64_t>(status.pressTime), static_cast<uint64_t>(now)) <= C_DOUBLE_PRESS_SECONDS)
        status.doublePressed = true;
    status.pressTime = now;

    if (m_bindings->getCount() == 0)
        return;
    CArray<uint32_t> candidates;
    for (uint32_t i = 0; i < m_bindings->getCount(); ++i)
        if (_bindingHasKey(m_bindings->at(i), code) && _isBindingHeld(i))
            _collectHeldNeighbours(i, candidates);
    _activateUncovered(candidates, false);
}

void CInputMapper::_onRelease(TKeyCode code)
{
    _status(code).doublePressed = false;

    if (m_bindings->getCount() == 0)
        return;
    _endReleasedBindings([&](const SInputEventKeys& binding) { return _bindingHasKey(binding, code); });
}

} // namespace Engine
} // namespace Tavrin
