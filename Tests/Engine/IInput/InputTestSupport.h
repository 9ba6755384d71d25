#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Support/ExpectException.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace Tavrin {
namespace Engine {
namespace Testing {

// A joystick whose state the test writes, as a backend's update would.
class CScriptedJoystick : public CJoystick
{
public:
    CScriptedJoystick() : CJoystick(nullptr, 0) {}

    void setButton(uint32_t id, bool down) { m_buttons[id] = down; }
    void setRawAxis(uint32_t id, float raw)
    {
        m_axisPresent[id] = true;
        m_axes[id] = mapAxis(raw, id);
    }
    // Stores an output value as is, bypassing the dead zone.
    void setAxisValue(uint32_t id, float value)
    {
        m_axisPresent[id] = true;
        m_axes[id] = value;
    }
    void setArrow(uint32_t id, float value)
    {
        m_arrowPresent[id] = true;
        m_arrows[id] = value;
    }
    void setAllPresent()
    {
        for (bool& present : m_axisPresent)
            present = true;
        for (bool& present : m_arrowPresent)
            present = true;
    }
};

// The checks and the log capture every suite shares.
using TavrinTests::CLogCapture;
using TavrinTests::expectException;
using TavrinTests::expectRangeError;

} // namespace Testing
} // namespace Engine
} // namespace Tavrin
