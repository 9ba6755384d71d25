#include "Engine/IInput/Linux/CSdlGameController.h"

#include "Engine/IInput/Linux/SdlJoysticksTestSupport.h"

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

using CSdlGameControllerTest = CSdlVirtualJoysticks;

void setSticks(SDL_Joystick* pad, const Sint16 (&values)[6])
{
    for (int axis = 0; axis < 6; ++axis)
        SDL_JoystickSetVirtualAxis(pad, axis, values[axis]);
}

} // namespace

TEST_F(CSdlGameControllerTest, ButtonsFollowTheXInputTableWhateverTheFocus)
{
    SDL_Joystick* pad = plugPad();
    // The window never has the keyboard; a pad does not care, as on XInput.
    CManagedPtr<CJoystick> joystick = open(pad, reinterpret_cast<void*>(0x1234), 1);
    ASSERT_NE(dynamic_cast<CSdlGameController*>(joystick.get()), nullptr);
    EXPECT_TRUE(joystick->isActive());
    for (uint32_t axis = 0; axis < 8; ++axis)
        EXPECT_EQ(joystick->hasAxis(axis), axis < 6) << axis;
    for (uint32_t arrow = 0; arrow < 4; ++arrow)
        EXPECT_EQ(joystick->hasArrow(arrow), arrow == 0) << arrow;

    // The joystick button of each virtual button: a, b, x, y, back, guide,
    // start, sticks, shoulders, pad up, down, left, right; -1: none.
    const int expected[15] = {0, 1, 2, 3, 6, -1, 7, 8, 9, 4, 5, 11, 13, 14, 12};
    for (int button = 0; button < 15; ++button)
    {
        for (int other = 0; other < 15; ++other)
            SDL_JoystickSetVirtualButton(pad, other, other == button);
        joystick->update(0.01f);
        for (uint32_t id = 0; id < 16; ++id)
            EXPECT_EQ(joystick->getButton(id), static_cast<int>(id) == expected[button]) << button << " " << id;
    }
}

TEST_F(CSdlGameControllerTest, SticksAndTriggersScaleAsXInput)
{
    SDL_Joystick* pad = plugPad();
    CManagedPtr<CJoystick> joystick = open(pad);
    ASSERT_TRUE(joystick);
    // The calibration runs while the sticks rest, as in the XInput case.
    setSticks(pad, {0, 0, 0, 0, 20000, -32768});
    joystick->update(0.01f);
    ASSERT_TRUE(joystick->isCalibrated());
    struct SCase
    {
        Sint16 raw[6];
        float axes[6];
    };
    const float tenth = (0.1f - 0.065f) / 0.935f;
    const SCase cases[] = {
        {{0, 0, 0, 0, -32768, -32768}, {0, 0, 0, 0, 0, 0}},
        // Up and left are negative, down and right positive.
        {{32767, -32768, -32768, 32767, 32767, -32768}, {1, -1, -1, 1, 1, 0}},
        {{3277, 2000, -3277, -2000, -32768, 32767}, {tenth, 0, -tenth, 0, 0, 1}},
    };
    for (const SCase& c : cases)
    {
        setSticks(pad, c.raw);
        joystick->update(0.01f);
        for (uint32_t axis = 0; axis < 6; ++axis)
            EXPECT_NEAR(joystick->getAxis(axis), c.axes[axis], 1e-4f) << axis;
    }
}

TEST_F(CSdlGameControllerTest, PadGivesTheXInputArrowTable)
{
    SDL_Joystick* pad = plugPad();
    CManagedPtr<CJoystick> joystick = open(pad);
    ASSERT_TRUE(joystick);
    // Indexed by up + 2 right + 4 down + 8 left; opposites cancel out.
    const float expected[16] = {-1.0f, 0.0f, 0.25f, 0.125f, 0.5f, -1.0f, 0.375f, 0.25f,
                                0.75f, 0.875f, -1.0f, 0.0f, 0.625f, 0.75f, 0.5f, -1.0f};
    const int directions[4] = {11, 14, 12, 13};
    for (uint32_t k = 0; k < 16; ++k)
    {
        for (uint32_t bit = 0; bit < 4; ++bit)
            SDL_JoystickSetVirtualButton(pad, directions[bit], (k >> bit) & 1u);
        joystick->update(0.01f);
        EXPECT_FLOAT_EQ(joystick->getArrow(0), expected[k]) << k;
        EXPECT_EQ(joystick->getButton(12), (k & 2u) != 0) << k;
    }
}

TEST_F(CSdlGameControllerTest, VibrationRumblesOnlyWhilePluggedIn)
{
    CLogCapture capture;
    SDL_Joystick* pad = plugPad();
    CManagedPtr<CJoystick> joystick = open(pad);
    ASSERT_TRUE(joystick);
    joystick->setVibration(0.5f, 2.0f);
    ASSERT_EQ(m_rumbles.size(), 1u);
    EXPECT_EQ(m_rumbles[0].low, 32767);
    EXPECT_EQ(m_rumbles[0].high, 65535);
    joystick->setVibration(-1.0f, 0.0f);
    ASSERT_EQ(m_rumbles.size(), 2u);
    EXPECT_EQ(m_rumbles[1].low, 0);
    EXPECT_EQ(m_rumbles[1].high, 0);

    SDL_JoystickSetVirtualButton(pad, 0, 1);
    joystick->update(0.01f);
    ASSERT_TRUE(joystick->getButton(0));
    unplug(pad);
    forget(pad);
    joystick->update(0.01f);
    EXPECT_FALSE(joystick->isActive());
    EXPECT_FALSE(joystick->getButton(0));
    EXPECT_FLOAT_EQ(joystick->getArrow(0), -1.0f);
    joystick->setVibration(0.7f, 0.3f);
    EXPECT_EQ(m_rumbles.size(), 2u);
    EXPECT_FLOAT_EQ(joystick->getVibrationLeft(), 0.7f);

    // Plugged in again, the pad comes back by itself and rumbles again.
    forget(plugPad());
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->isActive());
    ASSERT_EQ(m_rumbles.size(), 3u);
    EXPECT_EQ(m_rumbles[2].low, 45874);
    EXPECT_EQ(m_rumbles[2].high, 19660);
}
