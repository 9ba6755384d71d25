#include "Engine/IInput/Linux/CSdlJoystick.h"

#include "Engine/IInput/Linux/SdlJoysticksTestSupport.h"

#include <algorithm>
#include <string>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

using CSdlJoystickTest = CSdlVirtualJoysticks;

// A window that never has the keyboard: no SDL window exists in the test.
void* const C_OTHER_WINDOW = reinterpret_cast<void*>(0x1234);

// How many log lines end with the text.
long countLogged(const std::string& ending)
{
    const std::vector<std::string>& lines = CLogCapture::lines();
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() >= ending.size() && line.compare(line.size() - ending.size(), ending.size(), ending) == 0;
    });
}

} // namespace

TEST_F(CSdlJoystickTest, AxesFillTheDirectInputSlotsAndAThrottleIsCalibrated)
{
    CLogCapture capture;
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 8, 4, 0, "Virtual stick");
    CManagedPtr<CJoystick> joystick = open(stick);
    ASSERT_TRUE(joystick);
    EXPECT_EQ(countLogged(" caps: 8 axes, 4 buttons, 0 arrows\n"), 1);
    for (uint32_t slot = 0; slot < 8; ++slot)
        EXPECT_TRUE(joystick->hasAxis(slot)) << slot;

    // The throttle (SDL axis 6) rests at its negative end when first moved.
    SDL_JoystickSetVirtualAxis(stick, 6, -32768);
    SDL_JoystickSetVirtualAxis(stick, 2, 16384);
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->isActive());
    EXPECT_EQ(countLogged("Recalibrated default value for axis 6\n"), 1);
    EXPECT_FLOAT_EQ(joystick->getAxis(6), 0.0f);
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
            float expected = slot == slots[axis] ? -1.0f : 0.0f;
            // The calibrated throttle reads 0 at full back, half at rest.
            if (slot == 6)
                expected = expected < 0.0f ? 0.0f : 0.5f;
            EXPECT_FLOAT_EQ(joystick->getAxis(slot), expected) << axis << " " << slot;
        }
    }
}

TEST_F(CSdlJoystickTest, HatsAreArrowsAndButtonsAfterTheDeviceButtons)
{
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 12, 2, "Virtual hats");
    CManagedPtr<CJoystick> joystick = open(stick);
    ASSERT_TRUE(joystick);
    EXPECT_TRUE(joystick->hasArrow(1));
    EXPECT_FALSE(joystick->hasArrow(2));
    struct SCase
    {
        Uint8 hat;
        float arrow;
        bool up, right, down, left;
    };
    const SCase cases[] = {
        {SDL_HAT_CENTERED, -1.0f, false, false, false, false}, {SDL_HAT_UP, 0.0f, true, false, false, false},
        {SDL_HAT_RIGHTUP, 0.125f, true, true, false, false},   {SDL_HAT_RIGHT, 0.25f, false, true, false, false},
        {SDL_HAT_RIGHTDOWN, 0.375f, false, true, true, false}, {SDL_HAT_DOWN, 0.5f, false, false, true, false},
        {SDL_HAT_LEFTDOWN, 0.625f, false, false, true, true},  {SDL_HAT_LEFT, 0.75f, false, false, false, true},
        {SDL_HAT_LEFTUP, 0.875f, true, false, false, true},
    };
    SDL_JoystickSetVirtualButton(stick, 11, 1);
    SDL_JoystickSetVirtualHat(stick, 1, SDL_HAT_DOWN);
    for (const SCase& c : cases)
    {
        SDL_JoystickSetVirtualHat(stick, 0, c.hat);
        joystick->update(0.01f);
        EXPECT_FLOAT_EQ(joystick->getArrow(0), c.arrow) << int(c.hat);
        const bool expected[20] = {false, false, false, false, false, false, false, false, false, false,
                                   false, true,  c.up,  c.right, c.down, c.left, false, false, true, false};
        for (uint32_t button = 0; button < 20; ++button)
            EXPECT_EQ(joystick->getButton(button), expected[button]) << int(c.hat) << " " << button;
        EXPECT_FLOAT_EQ(joystick->getArrow(1), 0.5f);
    }
}

TEST_F(CSdlJoystickTest, HatButtonsGoOnlyWhereTheyFit)
{
    struct SCase
    {
        Uint16 buttons;
        Uint16 hats;
    };
    // Five hats: the fifth has no arrow; of 200 buttons the first 128 are read.
    const SCase cases[] = {{120, 2}, {124, 1}, {126, 2}, {200, 5}};
    for (const SCase& c : cases)
    {
        SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 0, c.buttons, c.hats, "Virtual buttons");
        CManagedPtr<CJoystick> joystick = open(stick);
        ASSERT_TRUE(joystick);
        for (int hat = 0; hat < c.hats; ++hat)
            SDL_JoystickSetVirtualHat(stick, hat, SDL_HAT_RIGHTUP);
        const uint32_t pressed = std::min<uint32_t>(c.buttons, 128) - 1;
        SDL_JoystickSetVirtualButton(stick, static_cast<int>(pressed), 1);
        joystick->update(0.01f);
        for (uint32_t button = 0; button < 128; ++button)
        {
            // Hat j's up and right are buttons `buttons + 4j` and the next one.
            uint32_t fromFirst = button - c.buttons;
            bool hatButton = button >= c.buttons && fromFirst / 4 < std::min<uint32_t>(c.hats, 4) && fromFirst % 4 < 2;
            bool expected = button == pressed || hatButton;
            EXPECT_EQ(joystick->getButton(button), expected) << c.buttons << " " << button;
        }
        for (uint32_t arrow = 0; arrow < 4; ++arrow)
            EXPECT_FLOAT_EQ(joystick->getArrow(arrow), arrow < c.hats ? 0.125f : -1.0f) << c.buttons;
        unplug(stick);
    }
}

TEST_F(CSdlJoystickTest, ForegroundOnlyReadsWhileTheWindowHasTheKeyboard)
{
    int window = 0, other = 0;
    struct SCase
    {
        const void* window;
        uint32_t foregroundOnly;
        const void* focus;
        bool reads;
    };
    const SCase cases[] = {
        {&window, 1, &window, true}, {&window, 1, &other, false}, {&window, 1, nullptr, false},
        {&window, 0, &other, true},  {nullptr, 1, &other, true},  {nullptr, 1, nullptr, true},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(CSdlJoystick::readsInput(c.window, c.foregroundOnly, c.focus), c.reads)
            << (c.window != nullptr) << c.foregroundOnly << (c.focus != nullptr);

    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 1, 1, 0, "Virtual focus");
    SDL_JoystickSetVirtualButton(stick, 0, 1);
    CManagedPtr<CJoystick> background = open(stick, C_OTHER_WINDOW, 1);
    CManagedPtr<CJoystick> windowless = open(stick, nullptr, 1);
    background->update(0.01f);
    windowless->update(0.01f);
    EXPECT_FALSE(background->isActive());
    EXPECT_FALSE(background->getButton(0));
    EXPECT_TRUE(windowless->isActive());
    EXPECT_TRUE(windowless->getButton(0));
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
    ASSERT_TRUE(joystick->getButton(2));

    unplug(stick);
    forget(stick);
    joystick->update(0.01f);
    joystick->update(0.01f);
    EXPECT_FALSE(joystick->isActive());
    EXPECT_FALSE(joystick->getButton(2));
    EXPECT_FALSE(joystick->getButton(7));
    EXPECT_FLOAT_EQ(joystick->getAxis(0), 0.0f);
    EXPECT_FLOAT_EQ(joystick->getArrow(0), -1.0f);
    EXPECT_EQ(countLogged(" unplugged\n"), 1);

    // Plugged in again, it is the last device; the joystick reopens it.
    forget(plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 1, "Virtual unplugged"));
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->isActive());
    SDL_Joystick* again = hold(SDL_NumJoysticks() - 1);
    SDL_JoystickSetVirtualButton(again, 3, 1);
    joystick->update(0.01f);
    EXPECT_TRUE(joystick->getButton(3));
}
