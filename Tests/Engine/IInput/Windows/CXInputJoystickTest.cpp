#include "Engine/IInput/Windows/CXInputJoystick.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Windows/FakeDirectInput.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

class CXInputJoystickTest : public testing::Test
{
protected:
    void SetUp() override { SFakeXInput::reset(); }
    void TearDown() override { SFakeXInput::reset(); }

    // Opens controller index, plugged in, on a window that never has the
    // focus (which XInput ignores).
    CManagedPtr<CXInputJoystick> plugIn(uint32_t index)
    {
        SFakeXInput::get().connected[index] = true;
        return CManagedPtr<CXInputJoystick>::adopt(
            new CXInputJoystick(reinterpret_cast<void*>(0x1234), 1, index, SFakeXInput::entryPoints()));
    }
    XINPUT_GAMEPAD& pad(uint32_t index) { return SFakeXInput::get().pads[index]; }
};

XINPUT_GAMEPAD gamepad(WORD buttons, SHORT lx = 0, SHORT ly = 0, SHORT rx = 0, SHORT ry = 0, BYTE lt = 0, BYTE rt = 0)
{
    XINPUT_GAMEPAD pad{};
    pad.wButtons = buttons;
    pad.sThumbLX = lx;
    pad.sThumbLY = ly;
    pad.sThumbRX = rx;
    pad.sThumbRY = ry;
    pad.bLeftTrigger = lt;
    pad.bRightTrigger = rt;
    return pad;
}

} // namespace

TEST_F(CXInputJoystickTest, SticksAndTriggersScaleToTheRawRange)
{
    struct SCase
    {
        XINPUT_GAMEPAD pad;
        float raw[6];
    };
    const SCase cases[] = {
        {gamepad(0), {0, 0, 0, 0, 0, 0}},
        {gamepad(0, 32767, 32767, 32767, 32767, 255, 255), {1, -1, 1, -1, 1, 1}},
        {gamepad(0, -32768, -32768, -32768, -32768, 0, 0), {-1, 1, -1, 1, 0, 0}},
        {gamepad(0, 3277, -16384, 100, 0, 128, 51), {0.1f, 0.5f, 0.0030518f, 0, 0.50196f, 0.2f}},
    };
    for (const SCase& c : cases)
    {
        CXInputJoystick::SReading reading = CXInputJoystick::decodeGamepad(c.pad);
        for (uint32_t axis = 0; axis < 6; ++axis)
            EXPECT_NEAR(reading.rawAxes[axis], c.raw[axis], 2e-5f) << axis;
    }
}

TEST_F(CXInputJoystickTest, ButtonTableFollowsTheGamepadBits)
{
    const WORD bits[15] = {0x1000, 0x2000, 0x4000, 0x8000, 0x0100, 0x0200, 0x0020, 0x0010,
                           0x0040, 0x0080, 0,      0x0001, 0x0008, 0x0002, 0x0004};
    for (uint32_t button = 0; button < 15; ++button)
    {
        if (!bits[button])
            continue;
        CXInputJoystick::SReading reading = CXInputJoystick::decodeGamepad(gamepad(bits[button]));
        for (uint32_t other = 0; other < 15; ++other)
            EXPECT_EQ(reading.buttons[other], other == button) << button << " " << other;
    }
    // Every bit at once still leaves button 10 off.
    CXInputJoystick::SReading all = CXInputJoystick::decodeGamepad(gamepad(0xFFFF));
    EXPECT_FALSE(all.buttons[10]);
    EXPECT_TRUE(all.buttons[14]);
}

TEST_F(CXInputJoystickTest, PadArrowTable)
{
    // Indexed by up + 2 right + 4 down + 8 left.
    const float expected[16] = {-1.0f, 0.0f, 0.25f, 0.125f, 0.5f, -1.0f, 0.375f, 0.25f,
                                0.75f, 0.875f, -1.0f, 0.0f, 0.625f, 0.75f, 0.5f, -1.0f};
    const WORD direction[4] = {XINPUT_GAMEPAD_DPAD_UP, XINPUT_GAMEPAD_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_LEFT};
    for (uint32_t k = 0; k < 16; ++k)
    {
        WORD buttons = XINPUT_GAMEPAD_A;
        for (uint32_t bit = 0; bit < 4; ++bit)
            if (k & (1u << bit))
                buttons |= direction[bit];
        EXPECT_EQ(CXInputJoystick::decodePad(buttons), expected[k]) << k;
    }
}

TEST_F(CXInputJoystickTest, NewJoystickHasTheFixedLayoutAndIsActive)
{
    CManagedPtr<CXInputJoystick> joystick = plugIn(1);
    EXPECT_TRUE(joystick->isActive());
    for (uint32_t axis = 0; axis < 8; ++axis)
        EXPECT_EQ(joystick->hasAxis(axis), axis < 6) << axis;
    for (uint32_t arrow = 0; arrow < 4; ++arrow)
        EXPECT_EQ(joystick->hasArrow(arrow), arrow == 0) << arrow;
    EXPECT_TRUE(SFakeXInput::get().polled.empty());
}

TEST_F(CXInputJoystickTest, StickOutsideTheDeadZoneIsStretched)
{
    CManagedPtr<CXInputJoystick> joystick = plugIn(0);
    pad(0) = gamepad(0, 3277);
    joystick->update(0.01f);
    EXPECT_NEAR(joystick->getAxis(0), (0.1f - 0.065f) / 0.935f, 1e-4f);
    pad(0) = gamepad(0, 2000);
    joystick->update(0.01f);
    EXPECT_FLOAT_EQ(joystick->getAxis(0), 0.0f);
    EXPECT_EQ(SFakeXInput::get().polled, std::vector<DWORD>({0, 0}));
}

TEST_F(CXInputJoystickTest, VerticalSticksReadUpAsNegativeOnceCalibrated)
{
    CManagedPtr<CXInputJoystick> joystick = plugIn(0);
    // The calibration runs while the sticks rest.
    pad(0) = gamepad(0, 0, 0, 0, 0, 200);
    joystick->update(0.01f);
    ASSERT_TRUE(joystick->isCalibrated());
    pad(0) = gamepad(0, 0, 32767, 0, -32768, 0, 255);
    joystick->update(0.01f);
    EXPECT_FLOAT_EQ(joystick->getAxis(1), -1.0f);
    EXPECT_FLOAT_EQ(joystick->getAxis(3), 1.0f);
    EXPECT_FLOAT_EQ(joystick->getAxis(4), 0.0f);
    EXPECT_FLOAT_EQ(joystick->getAxis(5), 1.0f);
}

TEST_F(CXInputJoystickTest, StickHeldUpAtTheFirstMoveIsCalibratedToHalfRange)
{
    CManagedPtr<CXInputJoystick> joystick = plugIn(0);
    pad(0) = gamepad(0, 0, 32767);
    joystick->update(0.01f);
    EXPECT_FLOAT_EQ(joystick->getAxisMin(1), 0.0f);
    EXPECT_FLOAT_EQ(joystick->getAxis(1), 0.0f);
    pad(0) = gamepad(0);
    joystick->update(0.01f);
    EXPECT_FLOAT_EQ(joystick->getAxis(1), 0.5f);
}

TEST_F(CXInputJoystickTest, PadDirectionsPressButtonsAndSetTheArrow)
{
    CManagedPtr<CXInputJoystick> joystick = plugIn(0);
    pad(0) = gamepad(XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_DPAD_RIGHT);
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->getButton(11));
    EXPECT_TRUE(joystick->getButton(12));
    EXPECT_FLOAT_EQ(joystick->getArrow(0), 0.125f);
    pad(0) = gamepad(XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_DPAD_DOWN);
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->getButton(11));
    EXPECT_FALSE(joystick->getButton(12));
    EXPECT_TRUE(joystick->getButton(13));
    EXPECT_FLOAT_EQ(joystick->getArrow(0), -1.0f);
    EXPECT_FALSE(joystick->getButton(15));
}

TEST_F(CXInputJoystickTest, VibrationIsSentAsMotorSpeeds)
{
    CManagedPtr<CXInputJoystick> joystick = plugIn(3);
    joystick->setVibration(0.5f, 2.0f);
    ASSERT_EQ(SFakeXInput::get().vibrations.size(), 1u);
    const SFakeXInput::SVibration& sent = SFakeXInput::get().vibrations[0];
    EXPECT_EQ(sent.index, 3u);
    EXPECT_EQ(sent.left, 32767);
    EXPECT_EQ(sent.right, 65535);
    joystick->setVibration(-1.0f, 0.0f);
    EXPECT_EQ(SFakeXInput::get().vibrations.back().left, 0);
}

TEST_F(CXInputJoystickTest, UnpluggedControllerReadsIdleAndOnlyStoresVibration)
{
    CManagedPtr<CXInputJoystick> joystick = plugIn(2);
    pad(2) = gamepad(XINPUT_GAMEPAD_A, 32767);
    joystick->update(0.01f);
    ASSERT_TRUE(joystick->getButton(0));
    SFakeXInput::get().connected[2] = false;
    joystick->update(0.01f);
    EXPECT_FALSE(joystick->isActive());
    EXPECT_FALSE(joystick->getButton(0));
    EXPECT_FLOAT_EQ(joystick->getAxis(0), 0.0f);
    EXPECT_FLOAT_EQ(joystick->getArrow(0), -1.0f);
    joystick->setVibration(0.7f, 0.3f);
    EXPECT_TRUE(SFakeXInput::get().vibrations.empty());
    EXPECT_FLOAT_EQ(joystick->getVibrationLeft(), 0.7f);

    // Plugged in again at the same index, it comes back by itself.
    SFakeXInput::get().connected[2] = true;
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->isActive());
    EXPECT_TRUE(joystick->getButton(0));
}
