#include "Engine/IInput/Linux/CSdlGameController.h"

#include "Support/Linux/SdlJoysticksTestSupport.h"

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

using CSdlGameControllerTest = CSdlVirtualJoysticks;

TEST_F(CSdlGameControllerTest, ButtonsFollowTheXInputTableWhateverTheFocus)
{
    SDL_Joystick* pad = plugPad();
    // The window never has the keyboard; a pad does not care, as on XInput.
    int window = 0;
    CManagedPtr<CJoystick> joystick = open(pad, &window, 1);
    ASSERT_NE(dynamic_cast<CSdlGameController*>(joystick.get()), nullptr);
    EXPECT_TRUE(joystick->isActive());
    for (uint32_t id = 0; id < 8; ++id)
        EXPECT_EQ(joystick->hasAxis(id), id < 6) << id;
    for (uint32_t id = 0; id < 4; ++id)
        EXPECT_EQ(joystick->hasArrow(id), id == 0) << id;
    // The joystick button of each pad button (-1 for the guide: none).
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

TEST_F(CSdlGameControllerTest, SticksTriggersAndPadReadAsXInput)
{
    SDL_Joystick* pad = plugPad();
    CManagedPtr<CJoystick> joystick = open(pad);
    ASSERT_TRUE(joystick);
    const float tenth = (0.1f - 0.065f) / 0.935f;
    struct SCase
    {
        Sint16 raw[6];
        float axes[6];
    };
    // The first calibrates while the sticks rest; up and left are negative.
    const SCase cases[] = {
        {{0, 0, 0, 0, 20000, -32768}, {0, 0, 0, 0, 0.7916f, 0}},
        {{32767, -32768, -32768, 32767, 32767, -32768}, {1, -1, -1, 1, 1, 0}},
        {{3277, 2000, -3277, -2000, -32768, 32767}, {tenth, 0, -tenth, 0, 0, 1}},
    };
    for (const SCase& c : cases)
    {
        for (int axis = 0; axis < 6; ++axis)
            SDL_JoystickSetVirtualAxis(pad, axis, c.raw[axis]);
        joystick->update(0.01f);
        for (uint32_t axis = 0; axis < 6; ++axis)
            EXPECT_NEAR(joystick->getAxis(axis), c.axes[axis], 1e-4f) << axis;
    }
    // Indexed by up + 2 right + 4 down + 8 left; opposites cancel out.
    const float arrows[16] = {-1, 0, 0.25f, 0.125f, 0.5f, -1, 0.375f, 0.25f, 0.75f, 0.875f, -1, 0, 0.625f, 0.75f, 0.5f, -1};
    const int directions[4] = {11, 14, 12, 13};
    for (uint32_t k = 0; k < 16; ++k)
    {
        for (uint32_t bit = 0; bit < 4; ++bit)
            SDL_JoystickSetVirtualButton(pad, directions[bit], (k >> bit) & 1u);
        joystick->update(0.01f);
        EXPECT_FLOAT_EQ(joystick->getArrow(0), arrows[k]) << k;
    }
}

TEST_F(CSdlGameControllerTest, VibrationRumblesWhilePluggedInAndAnUnpluggedPadIsIdle)
{
    CLogCapture capture;
    SDL_Joystick* pad = plugPad();
    CManagedPtr<CJoystick> joystick = open(pad);
    ASSERT_TRUE(joystick);
    joystick->setVibration(0.5f, 2.0f);
    joystick->setVibration(-1.0f, 0.0f);
    SDL_JoystickSetVirtualButton(pad, 0, 1);
    joystick->update(0.01f);
    ASSERT_TRUE(joystick->getButton(0));
    unplug(pad);
    forget(pad);
    joystick->update(0.01f);
    EXPECT_FALSE(joystick->isActive() || joystick->getButton(0));
    EXPECT_FLOAT_EQ(joystick->getArrow(0), -1.0f);
    // Only stored while unplugged; sent once the pad is back by itself.
    joystick->setVibration(0.7f, 0.3f);
    EXPECT_FLOAT_EQ(joystick->getVibrationLeft(), 0.7f);
    EXPECT_EQ(m_rumbles, (std::vector<std::pair<int, int>>{{32767, 65535}, {0, 0}}));
    forget(plugPad());
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->isActive());
    EXPECT_EQ(m_rumbles.back(), std::make_pair(45874, 19660));
}
