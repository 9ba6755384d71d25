#include "Engine/IInput/Linux/CSdlJoystick.h"

#include "Support/Linux/SdlJoysticksTestSupport.h"

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

using CSdlJoystickTest = CSdlVirtualJoysticks;

TEST_F(CSdlJoystickTest, AxesFillTheDirectInputSlotsAndAThrottleIsCalibrated)
{
    CLogCapture capture;
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 8, 4, 0, "Virtual stick");
    CManagedPtr<CJoystick> joystick = open(stick);
    ASSERT_TRUE(joystick);
    EXPECT_EQ(countLogged(" caps: 8 axes, 4 buttons, 0 arrows\n"), 1);
    // The throttle (SDL axis 6) rests at its negative end when first moved.
    SDL_JoystickSetVirtualAxis(stick, 6, -32768);
    SDL_JoystickSetVirtualAxis(stick, 2, 16384);
    joystick->update(0.01f);
    EXPECT_EQ(countLogged("Recalibrated default value for axis 6\n"), 1);
    EXPECT_NEAR(joystick->getAxis(4), 0.4652f, 1e-4f);
    // X, Y, Z, Rx, Ry, Rz, throttle, rudder as SDL numbers them.
    const uint32_t slots[8] = {0, 1, 4, 2, 3, 5, 6, 7};
    for (int axis = 0; axis < 8; ++axis)
    {
        for (int other = 0; other < 8; ++other)
            SDL_JoystickSetVirtualAxis(stick, other, other == axis ? -32768 : 0);
        joystick->update(0.01f);
        for (uint32_t slot = 0; slot < 8; ++slot)
        {
            bool pushed = slot == slots[axis];
            // The calibrated throttle reads 0 at full back, half at rest.
            float expected = slot == 6 ? (pushed ? 0.0f : 0.5f) : (pushed ? -1.0f : 0.0f);
            EXPECT_TRUE(joystick->hasAxis(slot));
            EXPECT_FLOAT_EQ(joystick->getAxis(slot), expected) << axis << " " << slot;
        }
    }
}

TEST_F(CSdlJoystickTest, HatsAreArrowsAndButtonsAfterTheDeviceButtonsWhereTheyFit)
{
    struct SHat
    {
        Uint8 value;
        float arrow;
        bool directions[4]; // up, right, down, left
    };
    const SHat hats[] = {
        {SDL_HAT_CENTERED, -1.0f, {0, 0, 0, 0}}, {SDL_HAT_UP, 0.0f, {1, 0, 0, 0}},       {SDL_HAT_RIGHTUP, 0.125f, {1, 1, 0, 0}},
        {SDL_HAT_RIGHT, 0.25f, {0, 1, 0, 0}},    {SDL_HAT_RIGHTDOWN, 0.375f, {0, 1, 1, 0}}, {SDL_HAT_DOWN, 0.5f, {0, 0, 1, 0}},
        {SDL_HAT_LEFTDOWN, 0.625f, {0, 0, 1, 1}}, {SDL_HAT_LEFT, 0.75f, {0, 0, 0, 1}},    {SDL_HAT_LEFTUP, 0.875f, {1, 0, 0, 1}},
    };
    // Buttons and hats per device: a fifth hat has no arrow, and of 200
    // buttons the first 128 are read.
    const std::pair<Uint16, Uint16> devices[] = {{12, 2}, {120, 2}, {124, 1}, {126, 2}, {200, 5}};
    for (const auto& device : devices)
    {
        const uint32_t buttons = device.first, hatCount = device.second;
        SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, device.first, device.second, "Virtual hats");
        CManagedPtr<CJoystick> joystick = open(stick);
        ASSERT_TRUE(joystick);
        const uint32_t pressed = std::min<uint32_t>(buttons, 128) - 1;
        SDL_JoystickSetVirtualButton(stick, static_cast<int>(pressed), 1);
        for (const SHat& hat : hats)
        {
            for (uint32_t j = 0; j < hatCount; ++j)
                SDL_JoystickSetVirtualHat(stick, static_cast<int>(j), hat.value);
            joystick->update(0.01f);
            for (uint32_t button = 0; button < 128; ++button)
            {
                uint32_t offset = button - buttons;
                bool expected = button == pressed ||
                                (button >= buttons && offset / 4 < std::min(hatCount, 4u) && hat.directions[offset % 4]);
                EXPECT_EQ(joystick->getButton(button), expected) << buttons << " " << int(hat.value) << " " << button;
            }
            for (uint32_t arrow = 0; arrow < 4; ++arrow)
                EXPECT_FLOAT_EQ(joystick->getArrow(arrow), arrow < hatCount ? hat.arrow : -1.0f) << buttons;
            // Nothing was written past the last button.
            EXPECT_TRUE(joystick->hasAxis(0) && joystick->hasAxis(1)) << buttons;
        }
        unplug(stick);
    }
}

TEST_F(CSdlJoystickTest, ForegroundOnlyReadsWhileTheWindowHasTheKeyboard)
{
    int window = 0, other = 0;
    EXPECT_TRUE(CSdlJoystick::readsInput(&window, 1, &window));
    EXPECT_FALSE(CSdlJoystick::readsInput(&window, 1, &other));
    EXPECT_FALSE(CSdlJoystick::readsInput(&window, 1, nullptr));
    EXPECT_TRUE(CSdlJoystick::readsInput(&window, 0, &other));
    EXPECT_TRUE(CSdlJoystick::readsInput(nullptr, 1, &other));
    // No SDL window has the keyboard here.
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 1, 1, 0, "Virtual focus");
    SDL_JoystickSetVirtualButton(stick, 0, 1);
    CManagedPtr<CJoystick> bound = open(stick, &window, 1);
    CManagedPtr<CJoystick> windowless = open(stick, nullptr, 1);
    bound->update(0.01f);
    windowless->update(0.01f);
    EXPECT_FALSE(bound->isActive() || bound->getButton(0));
    EXPECT_TRUE(windowless->isActive() && windowless->getButton(0));
}

TEST_F(CSdlJoystickTest, UnpluggedJoystickReadsIdleAndComesBackWhenPluggedAgain)
{
    CLogCapture capture;
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 1, "Virtual unplugged");
    CManagedPtr<CJoystick> joystick = open(stick);
    ASSERT_TRUE(joystick);
    SDL_JoystickSetVirtualButton(stick, 2, 1);
    SDL_JoystickSetVirtualAxis(stick, 0, 32767);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_LEFT);
    joystick->update(0.01f);
    ASSERT_TRUE(joystick->getButton(2) && joystick->getButton(7));
    unplug(stick);
    forget(stick);
    joystick->update(0.01f);
    joystick->update(0.01f);
    EXPECT_FALSE(joystick->isActive() || joystick->getButton(2) || joystick->getButton(7));
    EXPECT_FLOAT_EQ(joystick->getAxis(0), 0.0f);
    EXPECT_FLOAT_EQ(joystick->getArrow(0), -1.0f);
    EXPECT_EQ(countLogged(" unplugged\n"), 1);
    // Plugged in again, it is SDL's last device, and the joystick reopens it.
    forget(plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 1, "Virtual unplugged"));
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->isActive());
    SDL_JoystickSetVirtualButton(hold(SDL_NumJoysticks() - 1), 3, 1);
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->getButton(3));
}
