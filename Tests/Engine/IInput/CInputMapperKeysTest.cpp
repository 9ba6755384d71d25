#include "Engine/IInput/CInputMapper.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IKernel/System/CTimer.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

const TKeyCode A = TKeyCode(0x41);

// Every status, bytewise, to prove that a failed call changed nothing.
std::vector<SKeyStatus> snapshot(const CInputMapper& mapper)
{
    std::vector<SKeyStatus> statuses;
    for (int32_t code = 0; code < C_KEY_COUNT; ++code)
        statuses.push_back(mapper.getKeyStatus(TKeyCode(code)));
    return statuses;
}

bool sameStatuses(const std::vector<SKeyStatus>& a, const std::vector<SKeyStatus>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].pressed != b[i].pressed || a[i].pressTime != b[i].pressTime || a[i].value != b[i].value ||
            a[i].doublePressed != b[i].doublePressed)
            return false;
    return true;
}

} // namespace

TEST(CInputMapperKeysTest, NewMapperHas482ClearedStatusesAndDefaults)
{
    CInputMapper mapper;
    EXPECT_EQ(mapper.getReferenceCount(), 1u);
    EXPECT_EQ(mapper.getId(), 0xFFFFFFFFu);
    EXPECT_EQ(mapper.getKeyStatusCount(), 482u);
    for (const SKeyStatus& status : snapshot(mapper))
    {
        EXPECT_FALSE(status.pressed);
        EXPECT_EQ(status.pressTime, 0);
        EXPECT_EQ(status.value, 0.0f);
        EXPECT_FALSE(status.doublePressed);
    }
    EXPECT_EQ(mapper.getDetectionState(), CInputMapper::Idle);
    EXPECT_FLOAT_EQ(mapper.getDetectionThreshold(), 0.025f);
    EXPECT_FLOAT_EQ(mapper.getMouseSensitivity(), 5.0f);
    EXPECT_FLOAT_EQ(mapper.getTimeStep(), 0.01f);
    for (uint32_t j = 0; j < 4; ++j)
        EXPECT_FLOAT_EQ(mapper.getJoystickExponent(j), 2.0f);
    EXPECT_EQ(mapper.getEventCount(), 0u);
    EXPECT_EQ(mapper.getBindingCount(), 0u);
    EXPECT_FALSE(mapper.areBindingsDirty());
}

TEST(CInputMapperKeysTest, KeyAndButtonTransitionsSetStatuses)
{
    CInputMapper mapper;
    uint64_t before = CTimer::readCounter();
    mapper.keyDown(A);
    EXPECT_TRUE(mapper.getKeyStatus(A).pressed);
    EXPECT_EQ(mapper.getKeyStatus(A).value, 1.0f);
    EXPECT_GE(static_cast<uint64_t>(mapper.getKeyStatus(A).pressTime), before);
    mapper.keyUp(A);
    EXPECT_FALSE(mapper.getKeyStatus(A).pressed);
    EXPECT_EQ(mapper.getKeyStatus(A).value, 0.0f);

    for (uint32_t button = 1; button <= 6; ++button)
    {
        mapper.mouseButtonDown(button);
        EXPECT_TRUE(mapper.getKeyStatus(TKeyCode(button)).pressed) << button;
        EXPECT_EQ(mapper.getKeyStatus(TKeyCode(button)).value, 1.0f);
        mapper.mouseButtonUp(button);
        EXPECT_FALSE(mapper.getKeyStatus(TKeyCode(button)).pressed) << button;
        EXPECT_EQ(mapper.getKeyStatus(TKeyCode(button)).value, 0.0f);
    }
    mapper.setKey(TKeyCode(481), true, 0.75f);
    EXPECT_EQ(mapper.getKeyStatus(TKeyCode(481)).value, 0.75f);
}

TEST(CInputMapperKeysTest, BadCodesButtonsAndJoysticksThrowAndChangeNothing)
{
    CInputMapper mapper;
    mapper.keyDown(A);
    std::vector<SKeyStatus> before = snapshot(mapper);
    CScriptedJoystick device;
    device.setButton(0, true);

    expectRangeError([&] { mapper.keyDown(TKeyCode(482)); });
    expectRangeError([&] { mapper.keyDown(TKeyCode(-1)); });
    expectRangeError([&] { mapper.keyUp(TKeyCode(482)); });
    expectRangeError([&] { mapper.setKey(TKeyCode(100000), true, 1.0f); });
    expectRangeError([&] { mapper.setKey(TKeyCode(-5), false, 0.0f); });
    for (uint32_t button : {0u, 3u + 4u, 255u, 0xFFFFFFFFu})
    {
        expectException<CInvalidArgumentException>([&] { mapper.mouseButtonDown(button); }, "Invalid mouse button code\n",
                                                         "Engine/IInput/CInputMapper", 862);
        expectException<CInvalidArgumentException>([&] { mapper.mouseButtonUp(button); }, "Invalid mouse button code\n",
                                                         "Engine/IInput/CInputMapper", 869);
    }
    for (uint32_t joystick : {4u, 100u})
        expectException<CInvalidArgumentException>([&] { mapper.feedJoystick(joystick, device); }, "Invalid joystick ID\n",
                                                         "Engine/IInput/CInputMapper", 787);
    // Joysticks 2 and 3 pass the ID check but have no statuses.
    expectRangeError([&] { mapper.feedJoystick(2, device); });
    expectRangeError([&] { mapper.feedJoystick(3, device); });
    EXPECT_TRUE(sameStatuses(before, snapshot(mapper)));
}

TEST(CInputMapperKeysTest, MouseMotionScalesBySensitivityAndTimeStep)
{
    CInputMapper mapper;
    mapper.feedMouseMotion(1.0f, -2.0f);
    EXPECT_TRUE(mapper.getKeyStatus(C_KEY_MOUSE_AXIS_X).pressed);
    EXPECT_NEAR(mapper.getKeyStatus(C_KEY_MOUSE_AXIS_X).value, 0.015f, 1e-6f);
    EXPECT_TRUE(mapper.getKeyStatus(C_KEY_MOUSE_AXIS_Y).pressed);
    EXPECT_NEAR(mapper.getKeyStatus(C_KEY_MOUSE_AXIS_Y).value, -0.03f, 1e-6f);

    // Motion is per second: a longer step makes the same units worth less.
    mapper.update(0.02f);
    mapper.setMouseSensitivity(10.0f);
    mapper.feedMouseMotion(1.0f, 0.0f);
    EXPECT_NEAR(mapper.getKeyStatus(C_KEY_MOUSE_AXIS_X).value, 0.015f, 1e-6f);
    EXPECT_FALSE(mapper.getKeyStatus(C_KEY_MOUSE_AXIS_Y).pressed);
    EXPECT_EQ(mapper.getKeyStatus(C_KEY_MOUSE_AXIS_Y).value, 0.0f);
}

TEST(CInputMapperKeysTest, WheelSetsItsSignedCodeAndOneDirection)
{
    struct
    {
        float w;
        bool wheel, up, down;
        float wheelValue, upValue, downValue;
    } cases[] = {
        {1.0f, true, true, false, -1.0f, 1.0f, 0.0f},   {-2.0f, true, false, true, 1.0f, 0.0f, 1.0f},
        {0.5f, true, true, false, -0.5f, 1.0f, 0.0f},   {0.0f, false, false, false, 0.0f, 0.0f, 0.0f},
        {1e-8f, false, false, false, -1e-8f, 1.0f, 0.0f},
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(entry.w);
        CInputMapper mapper;
        mapper.feedMouseWheel(entry.w);
        EXPECT_EQ(mapper.getKeyStatus(C_KEY_MOUSE_WHEEL).pressed, entry.wheel);
        EXPECT_EQ(mapper.getKeyStatus(C_KEY_MOUSE_WHEEL_UP).pressed, entry.up);
        EXPECT_EQ(mapper.getKeyStatus(C_KEY_MOUSE_WHEEL_DOWN).pressed, entry.down);
        EXPECT_FLOAT_EQ(mapper.getKeyStatus(C_KEY_MOUSE_WHEEL).value, entry.wheelValue);
        EXPECT_FLOAT_EQ(mapper.getKeyStatus(C_KEY_MOUSE_WHEEL_UP).value, entry.upValue);
        EXPECT_FLOAT_EQ(mapper.getKeyStatus(C_KEY_MOUSE_WHEEL_DOWN).value, entry.downValue);
    }
}

TEST(CInputMapperKeysTest, JoystickFeedUsesTheSlotsCodesAndTheResponseCurve)
{
    CInputMapper mapper;
    CScriptedJoystick device;
    device.setButton(0, true);
    device.setButton(15, true);
    device.setButton(16, true);
    device.setAxisValue(0, 0.5f);
    device.setAxisValue(1, -0.5f);
    device.setAxisValue(5, 1e-4f);
    // Axis 6 is present but beyond what the mapper reads.
    device.setAxisValue(6, 1.0f);
    device.setArrow(1, 0.75f);
    device.setArrow(3, -1.0f);

    mapper.setJoystickExponent(1, 3.0f);
    mapper.feedJoystick(1, device);
    EXPECT_TRUE(mapper.getKeyStatus(TKeyCode(456)).pressed);
    EXPECT_TRUE(mapper.getKeyStatus(TKeyCode(471)).pressed);
    EXPECT_FALSE(mapper.getKeyStatus(TKeyCode(457)).pressed);
    EXPECT_FLOAT_EQ(mapper.getKeyStatus(TKeyCode(472)).value, 0.125f);
    EXPECT_FLOAT_EQ(mapper.getKeyStatus(TKeyCode(473)).value, -0.125f);
    EXPECT_TRUE(mapper.getKeyStatus(TKeyCode(473)).pressed);
    // (1e-4)^3 is below the float epsilon: not pressed, but the value is kept.
    EXPECT_FALSE(mapper.getKeyStatus(TKeyCode(477)).pressed);
    EXPECT_GT(mapper.getKeyStatus(TKeyCode(477)).value, 0.0f);
    EXPECT_TRUE(mapper.getKeyStatus(TKeyCode(479)).pressed);
    EXPECT_FLOAT_EQ(mapper.getKeyStatus(TKeyCode(479)).value, 0.75f);
    EXPECT_FALSE(mapper.getKeyStatus(TKeyCode(481)).pressed);
    EXPECT_FLOAT_EQ(mapper.getKeyStatus(TKeyCode(481)).value, -1.0f);
    // Absent arrows and joystick 0 are untouched.
    EXPECT_EQ(mapper.getKeyStatus(TKeyCode(478)).value, 0.0f);
    for (int32_t code = 356; code < 382; ++code)
        EXPECT_FALSE(mapper.getKeyStatus(TKeyCode(code)).pressed) << code;

    expectException<CInvalidArgumentException>([&] { mapper.setJoystickExponent(4, 1.0f); }, "Invalid joystick ID\n",
                                                     "Engine/IInput/CInputMapper", -1);
}
