#include "Engine/IInput/CJoystick.h"

#include "Engine/IInput/InputTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

TEST(CJoystickTest, NewJoystickIsAtRestWithDefaultSettings)
{
    CScriptedJoystick joystick;
    EXPECT_EQ(joystick.getReferenceCount(), 1u);
    EXPECT_FALSE(joystick.isActive());
    EXPECT_FALSE(joystick.isCalibrated());
    for (uint32_t i = 0; i < CJoystick::C_BUTTON_COUNT; ++i)
        EXPECT_FALSE(joystick.getButton(i));
    for (uint32_t i = 0; i < CJoystick::C_AXIS_COUNT; ++i)
    {
        EXPECT_FALSE(joystick.hasAxis(i));
        EXPECT_EQ(joystick.getAxis(i), 0.0f);
        EXPECT_FLOAT_EQ(joystick.getDeadZone(i), 0.065f);
        EXPECT_EQ(joystick.getAxisMin(i), -1.0f);
        EXPECT_EQ(joystick.getAxisMax(i), 1.0f);
    }
    for (uint32_t i = 0; i < CJoystick::C_ARROW_COUNT; ++i)
    {
        EXPECT_FALSE(joystick.hasArrow(i));
        EXPECT_EQ(joystick.getArrow(i), -1.0f);
    }
    EXPECT_EQ(joystick.getVibrationLeft(), 0.0f);
    EXPECT_EQ(joystick.getVibrationRight(), 0.0f);
}

TEST(CJoystickTest, AccessorsRejectIdsOutOfRange)
{
    CScriptedJoystick joystick;
    const char* file = "Engine/IInput/CJoystick";
    expectException<CInvalidArgumentException>([&] { joystick.getButton(128); }, "Invalid button ID\n", file, -1);
    expectException<CInvalidArgumentException>([&] { joystick.getAxis(8); }, "Invalid axis ID\n", file, -1);
    expectException<CInvalidArgumentException>([&] { joystick.hasAxis(0xFFFFFFFFu); }, "Invalid axis ID\n", file, -1);
    expectException<CInvalidArgumentException>([&] { joystick.getArrow(4); }, "Invalid arrow ID\n", file, -1);
    expectException<CInvalidArgumentException>([&] { joystick.hasArrow(4); }, "Invalid arrow ID\n", file, -1);
    expectException<CInvalidArgumentException>([&] { joystick.mapAxis(0.5f, 8); }, "Invalid axis ID\n", file, -1);
    EXPECT_NO_THROW(joystick.getButton(127));
    EXPECT_NO_THROW(joystick.getArrow(3));
}

TEST(CJoystickTest, MapAxisAppliesTheDeadZoneAndStretchesTheRest)
{
    CScriptedJoystick joystick;
    struct
    {
        float raw;
        float expected;
    } cases[] = {{0.0f, 0.0f}, {0.065f, 0.0f}, {-0.065f, 0.0f}, {0.05f, 0.0f}, {1.0f, 1.0f},
                 {-1.0f, -1.0f}, {0.5f, 0.46524f}, {-0.5f, -0.46524f}, {0.999f, 0.99893f}};
    for (const auto& entry : cases)
        EXPECT_NEAR(joystick.mapAxis(entry.raw, 0), entry.expected, 1e-5f) << entry.raw;
}

TEST(CJoystickTest, DeadZoneOfTheWholeTravelReadsZero)
{
    CScriptedJoystick joystick;
    joystick.setDeadZone(2, 1.0f);
    for (float raw : {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f})
    {
        float value = joystick.mapAxis(raw, 2);
        EXPECT_TRUE(std::isfinite(value)) << raw;
        EXPECT_EQ(value, 0.0f) << raw;
    }
    joystick.setDeadZone(2, 0.0f);
    EXPECT_FLOAT_EQ(joystick.mapAxis(0.5f, 2), 0.5f);
}

TEST(CJoystickTest, SetDeadZoneClampsAndChecksTheAxis)
{
    CScriptedJoystick joystick;
    joystick.setDeadZone(CJoystick::C_ALL_AXES, 2.0f);
    for (uint32_t i = 0; i < CJoystick::C_AXIS_COUNT; ++i)
        EXPECT_EQ(joystick.getDeadZone(i), 1.0f);
    joystick.setDeadZone(3, -0.5f);
    EXPECT_EQ(joystick.getDeadZone(3), 0.0f);
    joystick.setDeadZone(4, NAN);
    EXPECT_EQ(joystick.getDeadZone(4), 0.0f);
    joystick.setDeadZone(5, 0.25f);
    EXPECT_EQ(joystick.getDeadZone(5), 0.25f);

    expectException<CInvalidArgumentException>([&] { joystick.setDeadZone(8, 0.5f); }, "Invalid axis ID\n",
                                                     "Engine/IInput/CJoystick", 133);
    EXPECT_EQ(joystick.getDeadZone(0), 1.0f);
    EXPECT_EQ(joystick.getDeadZone(3), 0.0f);
    EXPECT_EQ(joystick.getDeadZone(5), 0.25f);
}

TEST(CJoystickTest, SetVibrationClampsBothMotors)
{
    CScriptedJoystick joystick;
    joystick.setVibration(1.5f, -0.2f);
    EXPECT_EQ(joystick.getVibrationLeft(), 1.0f);
    EXPECT_EQ(joystick.getVibrationRight(), 0.0f);
    joystick.setVibration(0.3f, NAN);
    EXPECT_FLOAT_EQ(joystick.getVibrationLeft(), 0.3f);
    EXPECT_EQ(joystick.getVibrationRight(), 0.0f);
}

TEST(CJoystickTest, ResetStateKeepsSettingsAndPresence)
{
    CScriptedJoystick joystick;
    joystick.setButton(7, true);
    joystick.setAxisValue(1, 0.5f);
    joystick.setArrow(2, 0.25f);
    joystick.setDeadZone(1, 0.2f);
    joystick.resetState();
    EXPECT_FALSE(joystick.getButton(7));
    EXPECT_EQ(joystick.getAxis(1), 0.0f);
    EXPECT_EQ(joystick.getArrow(2), -1.0f);
    EXPECT_TRUE(joystick.hasAxis(1));
    EXPECT_TRUE(joystick.hasArrow(2));
    EXPECT_FLOAT_EQ(joystick.getDeadZone(1), 0.2f);
}

TEST(CJoystickTest, CalibrationMovesARestingNegativeAxisOnce)
{
    CLogCapture capture;
    CScriptedJoystick joystick;
    // Polls where nothing moved leave the device uncalibrated.
    joystick.setRawAxis(0, 0.0f);
    joystick.setRawAxis(1, 0.0f);
    joystick.calibrateAxes();
    joystick.calibrateAxes();
    EXPECT_FALSE(joystick.isCalibrated());
    EXPECT_TRUE(capture.lines().empty());

    joystick.setRawAxis(0, -1.0f);
    joystick.setRawAxis(1, 0.3f);
    joystick.calibrateAxes();
    EXPECT_TRUE(joystick.isCalibrated());
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Calibrating axes ranges..\n", "Recalibrated default value for axis 0\n"}));
    EXPECT_EQ(joystick.getAxis(0), 0.0f);
    EXPECT_EQ(joystick.getAxisMin(0), 0.0f);
    EXPECT_EQ(joystick.getAxisMin(1), -1.0f);
    EXPECT_NEAR(joystick.getAxis(1), joystick.mapAxis(0.3f, 1), 1e-6f);

    EXPECT_FLOAT_EQ(joystick.mapAxis(-1.0f, 0), 0.0f);
    EXPECT_FLOAT_EQ(joystick.mapAxis(0.0f, 0), 0.5f);
    EXPECT_FLOAT_EQ(joystick.mapAxis(1.0f, 0), 1.0f);

    // Never again, even for an axis that now rests at its negative end.
    joystick.setRawAxis(1, -1.0f);
    joystick.calibrateAxes();
    EXPECT_EQ(capture.lines().size(), 2u);
    EXPECT_EQ(joystick.getAxisMin(1), -1.0f);
    // resetState does not undo it.
    joystick.resetState();
    EXPECT_TRUE(joystick.isCalibrated());
}
