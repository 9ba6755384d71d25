#include "Engine/IInput/Windows/CDirectInputJoystick.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Windows/FakeDirectInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

const char* const C_SOURCE = "Engine/IInput/Windows/CDirectInputJoystick";
// A window handle that never has the focus in the test process.
void* const C_OTHER_WINDOW = reinterpret_cast<void*>(0x1234);

DIJOYSTATE2 restingState()
{
    DIJOYSTATE2 state{};
    for (DWORD& pov : state.rgdwPOV)
        pov = 0xFFFFFFFF;
    return state;
}

// A device with X and Y axes, the given buttons and hats.
void describe(CFakeDevice& device, DWORD buttons, DWORD povs)
{
    device.caps.dwAxes = 2;
    device.caps.dwButtons = buttons;
    device.caps.dwPOVs = povs;
    device.objects.push_back(makeObject(GUID_XAxis, absoluteAxis(0), "X Axis"));
    device.objects.push_back(makeObject(GUID_YAxis, absoluteAxis(1), "Y Axis"));
    for (DWORD i = 0; i < povs; ++i)
        device.objects.push_back(makeObject(GUID_POV, DIDFT_POV | DIDFT_MAKEINSTANCE(i), "Hat Switch"));
    device.setJoystickState(restingState());
}

// Owns the joystick; the fake device outlives it.
struct SJoystickRig
{
    CFakeDevice device;
    CDirectInputJoystick* joystick = nullptr;

    void open(void* window = nullptr, uint32_t foregroundOnly = 0)
    {
        joystick = new CDirectInputJoystick(window, foregroundOnly, &device);
    }
    ~SJoystickRig()
    {
        if (joystick)
            joystick->release();
    }
};

std::vector<std::string> enumerationLines()
{
    std::vector<std::string> lines;
    for (const std::string& line : CLogCapture::lines())
        if (line.rfind("Joystick enumeration: ", 0) == 0)
            lines.push_back(line);
    return lines;
}

} // namespace

TEST(CDirectInputJoystickTest, PovDecodingGivesTheArrowAndItsDirections)
{
    struct SCase
    {
        uint32_t pov;
        float arrow;
        bool up, right, down, left;
    };
    const SCase cases[] = {
        {0, 0.0f, true, false, false, false},          {4500, 0.125f, true, true, false, false},
        {9000, 0.25f, false, true, false, false},      {13500, 0.375f, false, true, true, false},
        {18000, 0.5f, false, false, true, false},      {22500, 0.625f, false, false, true, true},
        {27000, 0.75f, false, false, false, true},     {31500, 0.875f, true, false, false, true},
        {35999, 0.99997f, true, false, false, false},  {36000, 1.0f, true, false, false, false},
        {0xFFFFFFFF, -1.0f, false, false, false, false}, {0x0000FFFF, -1.0f, false, false, false, false},
        {0x1234FFFF, -1.0f, false, false, false, false},
    };
    for (const SCase& c : cases)
    {
        CDirectInputJoystick::SPovReading reading = CDirectInputJoystick::decodePov(c.pov);
        SCOPED_TRACE(c.pov);
        EXPECT_NEAR(reading.arrow, c.arrow, 1e-5f);
        EXPECT_EQ(reading.directions[0], c.up);
        EXPECT_EQ(reading.directions[1], c.right);
        EXPECT_EQ(reading.directions[2], c.down);
        EXPECT_EQ(reading.directions[3], c.left);
    }
}

TEST(CDirectInputJoystickTest, ConstructionConfiguresTheDeviceInOrder)
{
    CLogCapture capture;
    SJoystickRig rig;
    describe(rig.device, 12, 1);
    rig.device.objects.push_back(makeObject(GUID_Button, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(3), "Button 3"));
    void* window = reinterpret_cast<void*>(0x5678);
    rig.open(window, 1);

    std::vector<std::string> expectedCalls = {"SetDataFormat", "SetCooperativeLevel", "GetCapabilities", "EnumObjects",
                                              "SetProperty",   "SetProperty",         "Acquire"};
    EXPECT_EQ(rig.device.calls, expectedCalls);
    EXPECT_EQ(rig.device.dataFormat, &c_dfDIJoystick2);
    EXPECT_EQ(rig.device.cooperativeWindow, static_cast<HWND>(window));
    EXPECT_EQ(rig.device.cooperativeFlags, 6u);
    EXPECT_EQ(rig.device.capsSize, 44u);
    EXPECT_EQ(rig.device.enumFlags, 0u);
    ASSERT_EQ(rig.device.ranges.size(), 2u);
    for (const DIPROPRANGE& range : rig.device.ranges)
    {
        EXPECT_EQ(range.diph.dwSize, 24u);
        EXPECT_EQ(range.diph.dwHeaderSize, 16u);
        EXPECT_EQ(range.diph.dwHow, static_cast<DWORD>(DIPH_BYID));
        EXPECT_EQ(range.lMin, -10000);
        EXPECT_EQ(range.lMax, 10000);
    }
    EXPECT_EQ(rig.device.ranges[1].diph.dwObj, absoluteAxis(1));

    EXPECT_TRUE(rig.joystick->isActive());
    EXPECT_EQ(rig.joystick->getDeviceButtons(), 12u);
    EXPECT_TRUE(rig.joystick->hasAxis(0));
    EXPECT_TRUE(rig.joystick->hasAxis(1));
    EXPECT_FALSE(rig.joystick->hasAxis(2));
    EXPECT_TRUE(rig.joystick->hasArrow(0));
    EXPECT_FALSE(rig.joystick->hasArrow(1));

    char caps[96];
    snprintf(caps, sizeof(caps), "Joystick %x caps: 2 axes, 12 buttons, 1 arrows\n",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(rig.joystick)));
    ASSERT_GE(CLogCapture::lines().size(), 1u);
    EXPECT_EQ(CLogCapture::lines()[0], caps);
    std::vector<std::string> expected = {
        "Joystick enumeration: Object ID 0: X Axis (AbsAxis) (Axis) GUID_XAxis\n",
        "Joystick enumeration: Object ID 1: Y Axis (AbsAxis) (Axis) (NoColl) GUID_YAxis\n",
        "Joystick enumeration: Object ID 0: Hat Switch (POV) GUID_POV\n",
        "Joystick enumeration: Object ID 3: Button 3 (Button) (NoColl) (PushButton) GUID_Button\n",
    };
    EXPECT_EQ(enumerationLines(), expected);
}

TEST(CDirectInputJoystickTest, EnumerationLabelsFollowTheTypeWord)
{
    CLogCapture capture;
    SJoystickRig rig;
    DWORD everything = DIDFT_RELAXIS | DIDFT_TGLBUTTON | DIDFT_COLLECTION | DIDFT_NODATA | DIDFT_FFACTUATOR |
                       DIDFT_FFEFFECTTRIGGER | DIDFT_OUTPUT | DIDFT_VENDORDEFINED | DIDFT_ALIAS;
    rig.device.objects.push_back(makeObject(GUID_Unknown, everything, "Odd"));
    rig.device.objects.push_back(makeObject(GUID_RzAxis, absoluteAxis(5), "Rudder"));
    rig.open();
    std::vector<std::string> expected = {
        "Joystick enumeration: Object ID 0: Odd (Alias) (Axis) (Button) (Coll) (FFactuator) (FxTrigger) (NoData) (Output) "
        "(RelAxis) (ToggleButton) (Vendor) \n",
        "Joystick enumeration: Object ID 5: Rudder (AbsAxis) (Axis) (NoColl) GUID_RzAxis\n",
    };
    EXPECT_EQ(enumerationLines(), expected);
    EXPECT_TRUE(rig.joystick->hasAxis(5));
    for (uint32_t axis = 0; axis < 5; ++axis)
        EXPECT_FALSE(rig.joystick->hasAxis(axis)) << axis;
}

TEST(CDirectInputJoystickTest, TwelveButtonsAndOneHatPutTheHatOnButtonsTwelveToFifteen)
{
    SJoystickRig rig;
    describe(rig.device, 12, 1);
    rig.open();
    struct SCase
    {
        DWORD pov;
        float arrow;
        bool buttons[4];
    };
    const SCase cases[] = {
        {0, 0.0f, {true, false, false, false}},      {9000, 0.25f, {false, true, false, false}},
        {18000, 0.5f, {false, false, true, false}},  {27000, 0.75f, {false, false, false, true}},
        {4500, 0.125f, {true, true, false, false}},  {31500, 0.875f, {true, false, false, true}},
        {0xFFFFFFFF, -1.0f, {false, false, false, false}}, {0xFFFF, -1.0f, {false, false, false, false}},
    };
    for (const SCase& c : cases)
    {
        DIJOYSTATE2 state = restingState();
        state.rgbButtons[11] = 0x80;
        state.rgbButtons[5] = 0x7F; // only the high bit counts
        state.rgdwPOV[0] = c.pov;
        rig.device.setJoystickState(state);
        rig.joystick->update(0.01f);
        SCOPED_TRACE(c.pov);
        EXPECT_TRUE(rig.joystick->isActive());
        EXPECT_NEAR(rig.joystick->getArrow(0), c.arrow, 1e-6f);
        EXPECT_TRUE(rig.joystick->getButton(11));
        EXPECT_FALSE(rig.joystick->getButton(5));
        for (uint32_t d = 0; d < 4; ++d)
            EXPECT_EQ(rig.joystick->getButton(12 + d), c.buttons[d]) << d;
        EXPECT_FALSE(rig.joystick->getButton(16));
    }
}

TEST(CDirectInputJoystickTest, ArrowButtonsThatDoNotFitBelow128AreLeftOut)
{
    // The state presses device buttons 0, 123 and 127; each hat still
    // reports its arrow, and only hat buttons below 128 are written.
    struct SCase
    {
        DWORD buttons;
        DWORD povs;
        DWORD pov[2];
        float arrows[2];
        std::vector<uint32_t> pressed; // among buttons 120 to 127
    };
    const SCase cases[] = {
        {120, 1, {9000, 0}, {0.25f, -1.0f}, {121, 127}},             // right at 121, device 127 kept
        {124, 1, {9000, 0}, {0.25f, -1.0f}, {123, 125}},             // hat on 124 to 127
        {126, 1, {31500, 0}, {0.875f, -1.0f}, {123, 126}},           // up at 126, right (off) at 127
        {124, 2, {0xFFFFFFFF, 0}, {-1.0f, 0.0f}, {123}},             // second hat: no room
        {128, 2, {18000, 27000}, {0.5f, 0.75f}, {123, 127}},         // no hat buttons at all
        {0xFFFFFFFE, 1, {0, 0}, {0.0f, -1.0f}, {123, 127}},          // absurd count
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.buttons);
        SJoystickRig rig;
        describe(rig.device, c.buttons, c.povs);
        rig.open();
        DIJOYSTATE2 state = restingState();
        state.rgbButtons[0] = state.rgbButtons[123] = state.rgbButtons[127] = 0x80;
        state.rgdwPOV[0] = c.pov[0];
        state.rgdwPOV[1] = c.pov[1];
        rig.device.setJoystickState(state);
        for (int poll = 0; poll < 2; ++poll)
        {
            rig.joystick->update(0.01f);
            EXPECT_TRUE(rig.joystick->isActive());
            EXPECT_TRUE(rig.joystick->getButton(0));
            for (uint32_t j = 0; j < 2; ++j)
                EXPECT_FLOAT_EQ(rig.joystick->getArrow(j), c.arrows[j]) << j;
            std::vector<uint32_t> pressed;
            for (uint32_t b = 120; b < 128; ++b)
                if (rig.joystick->getButton(b))
                    pressed.push_back(b);
            EXPECT_EQ(pressed, c.pressed);
        }
    }
}

TEST(CDirectInputJoystickTest, AxesTwoToFourFollowTheStateOrder)
{
    CLogCapture capture;
    SJoystickRig rig;
    rig.device.objects.push_back(makeObject(GUID_ZAxis, absoluteAxis(2), "Z Axis"));
    rig.device.objects.push_back(makeObject(GUID_RxAxis, absoluteAxis(3), "X Rotation"));
    rig.device.objects.push_back(makeObject(GUID_RyAxis, absoluteAxis(4), "Y Rotation"));
    rig.open();
    std::vector<std::string> expected = {
        "Joystick enumeration: Object ID 2: Z Axis (AbsAxis) (Axis) (NoColl) GUID_ZAxis\n",
        "Joystick enumeration: Object ID 3: X Rotation (AbsAxis) (Axis) (NoColl) GUID_RxAxis\n",
        "Joystick enumeration: Object ID 4: Y Rotation (AbsAxis) (Axis) (NoColl) GUID_RyAxis\n",
    };
    EXPECT_EQ(enumerationLines(), expected);

    DIJOYSTATE2 state = restingState();
    state.lRx = 10000;
    state.lRy = 5000;
    state.lZ = -5000;
    state.lX = 10000; // not present: never read
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    EXPECT_FLOAT_EQ(rig.joystick->getAxis(2), 1.0f);
    EXPECT_NEAR(rig.joystick->getAxis(3), 0.4652f, 1e-4f);
    EXPECT_NEAR(rig.joystick->getAxis(4), -0.4652f, 1e-4f);
    EXPECT_FLOAT_EQ(rig.joystick->getAxis(0), 0.0f);
}

TEST(CDirectInputJoystickTest, ZAloneIsAxisFour)
{
    SJoystickRig rig;
    rig.device.objects.push_back(makeObject(GUID_ZAxis, absoluteAxis(2), "Throttle"));
    rig.open();
    EXPECT_TRUE(rig.joystick->hasAxis(4));
    EXPECT_FALSE(rig.joystick->hasAxis(2));
    DIJOYSTATE2 state = restingState();
    state.lZ = 10000;
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    EXPECT_FLOAT_EQ(rig.joystick->getAxis(4), 1.0f);
}

TEST(CDirectInputJoystickTest, TwoOfThreeSlidersAreRead)
{
    CLogCapture capture;
    SJoystickRig rig;
    for (DWORD i = 0; i < 3; ++i)
        rig.device.objects.push_back(makeObject(GUID_Slider, absoluteAxis(6 + i), "Slider"));
    rig.open();
    std::vector<std::string> expected = {
        "Joystick enumeration: Object ID 6: Slider (AbsAxis) (Axis) (NoColl) GUID_Slider6\n",
        "Joystick enumeration: Object ID 7: Slider (AbsAxis) (Axis) (NoColl) GUID_Slider7\n",
        "Joystick enumeration: Object ID 8: Slider (AbsAxis) (Axis) (NoColl) GUID_Slider\n",
    };
    EXPECT_EQ(enumerationLines(), expected);
    EXPECT_TRUE(rig.joystick->hasAxis(6));
    EXPECT_TRUE(rig.joystick->hasAxis(7));

    DIJOYSTATE2 state = restingState();
    state.rglSlider[0] = 10000;
    state.rglSlider[1] = -5000;
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    EXPECT_FLOAT_EQ(rig.joystick->getAxis(6), 1.0f);
    EXPECT_NEAR(rig.joystick->getAxis(7), -0.4652f, 1e-4f);
}

TEST(CDirectInputJoystickTest, RefusedRangeLeavesTheAxisOut)
{
    CLogCapture capture;
    SJoystickRig rig;
    describe(rig.device, 4, 0);
    rig.device.refusedRanges.push_back(absoluteAxis(1));
    rig.open();
    EXPECT_TRUE(rig.joystick->hasAxis(0));
    EXPECT_FALSE(rig.joystick->hasAxis(1));
    const std::vector<std::string>& lines = CLogCapture::lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Cannot set axis range property on joystick\n"), 1);
    EXPECT_EQ(enumerationLines().size(), 1u);
}

TEST(CDirectInputJoystickTest, ConstructionStepsThatFail)
{
    struct SCase
    {
        const char* line;
        HRESULT CFakeDevice::*answer;
        bool goesOn;
    };
    const SCase cases[] = {
        {"Cannot set data format on joystick\n", &CFakeDevice::dataFormatResult, false},
        {"Cannot set cooperative level on joystick\n", &CFakeDevice::cooperativeLevelResult, true},
        {"Cannot get joystick device caps\n", &CFakeDevice::capabilitiesResult, false},
        {"Cannot enumerate objects on joystick\n", &CFakeDevice::enumObjectsResult, true},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.line);
        CLogCapture capture;
        SJoystickRig rig;
        describe(rig.device, 8, 1);
        rig.device.*c.answer = DIERR_INVALIDPARAM;
        rig.open();
        const std::vector<std::string>& lines = CLogCapture::lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), c.line), 1);
        EXPECT_EQ(rig.device.count("Acquire"), c.goesOn ? 1 : 0);
        EXPECT_EQ(rig.joystick->isActive(), c.goesOn);
        bool objectsSeen = c.answer != &CFakeDevice::enumObjectsResult && c.goesOn;
        EXPECT_EQ(rig.joystick->hasAxis(0), objectsSeen);
        EXPECT_EQ(rig.joystick->hasArrow(0), objectsSeen);
    }
}

TEST(CDirectInputJoystickTest, MissingDeviceIsRefused)
{
    expectException<CInvalidArgumentException>([] { CDirectInputJoystick joystick(nullptr, 0, nullptr); },
                                                     "Invalid joystick handle\n", C_SOURCE, 151);
}

TEST(CDirectInputJoystickTest, LostInputIsAcquiredAgainWithinThePoll)
{
    CLogCapture capture;
    SJoystickRig rig;
    describe(rig.device, 4, 0);
    rig.open();
    DIJOYSTATE2 state = restingState();
    state.rgbButtons[2] = 0x80;
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    ASSERT_TRUE(rig.joystick->getButton(2));

    rig.device.pollResults = {DIERR_INPUTLOST};
    rig.device.acquireResults = {DIERR_INPUTLOST, DIERR_INPUTLOST, DI_OK};
    rig.joystick->update(0.01f);
    const std::vector<std::string>& lines = CLogCapture::lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Trying to acquire joystick device..\n"), 2);
    EXPECT_TRUE(rig.joystick->isActive());
    EXPECT_FALSE(rig.joystick->getButton(2));
    EXPECT_EQ(rig.device.count("GetDeviceState"), 1);

    // The re-acquired device shows its data from the next poll on.
    rig.joystick->update(0.01f);
    EXPECT_TRUE(rig.joystick->getButton(2));
}

TEST(CDirectInputJoystickTest, RefusedPollWithoutLostInputLeavesTheJoystickIdle)
{
    CLogCapture capture;
    SJoystickRig rig;
    describe(rig.device, 4, 0);
    rig.open();
    rig.device.pollResults = {DIERR_NOTACQUIRED};
    rig.device.acquireResults = {DI_OK};
    rig.joystick->update(0.01f);
    EXPECT_FALSE(rig.joystick->isActive());
    // Only "input lost" is retried; the one Acquire that worked shows from
    // the next poll on.
    const std::vector<std::string>& lines = CLogCapture::lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Trying to acquire joystick device..\n"), 0);
    EXPECT_EQ(rig.device.count("Acquire"), 2);
}

TEST(CDirectInputJoystickTest, EndlesslyLostInputGivesUpForThisPoll)
{
    SJoystickRig rig;
    describe(rig.device, 4, 0);
    rig.open();
    rig.device.pollResults = {DIERR_INPUTLOST};
    rig.device.acquireResults.assign(1000, DIERR_INPUTLOST);
    rig.joystick->update(0.01f);
    EXPECT_FALSE(rig.joystick->isActive());
    EXPECT_EQ(rig.device.count("Acquire"), 1 + 1 + 100);
}

TEST(CDirectInputJoystickTest, UnreadableStateResetsTheJoystick)
{
    SJoystickRig rig;
    describe(rig.device, 4, 1);
    rig.open();
    DIJOYSTATE2 state = restingState();
    state.rgbButtons[0] = 0x80;
    state.rgdwPOV[0] = 0;
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    ASSERT_TRUE(rig.joystick->getButton(0));
    rig.device.stateResults = {DIERR_INPUTLOST};
    rig.joystick->update(0.01f);
    EXPECT_FALSE(rig.joystick->isActive());
    EXPECT_FALSE(rig.joystick->getButton(0));
    EXPECT_FLOAT_EQ(rig.joystick->getArrow(0), -1.0f);
}

TEST(CDirectInputJoystickTest, ForegroundOnlyJoystickIsIdleWhileAnotherWindowHasTheFocus)
{
    SJoystickRig rig;
    describe(rig.device, 4, 0);
    rig.open(C_OTHER_WINDOW, 1);
    EXPECT_EQ(rig.device.cooperativeFlags, 6u);
    DIJOYSTATE2 state = restingState();
    state.rgbButtons[1] = 0x80;
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    EXPECT_FALSE(rig.joystick->isActive());
    EXPECT_FALSE(rig.joystick->getButton(1));
    EXPECT_EQ(rig.device.count("Poll"), 0);

    // No window of this process has the focus, which a device bound to no
    // window counts as its own.
    SJoystickRig focused;
    describe(focused.device, 4, 0);
    focused.open(nullptr, 1);
    focused.device.setJoystickState(state);
    focused.joystick->update(0.01f);
    EXPECT_TRUE(focused.joystick->getButton(1));

    // In background mode the focus does not matter.
    SJoystickRig background;
    describe(background.device, 4, 0);
    background.open(C_OTHER_WINDOW, 0);
    EXPECT_EQ(background.device.cooperativeFlags, 10u);
    background.device.setJoystickState(state);
    background.joystick->update(0.01f);
    EXPECT_TRUE(background.joystick->isActive());
    EXPECT_TRUE(background.joystick->getButton(1));
}

TEST(CDirectInputJoystickTest, ARestingThrottleIsCalibratedOnTheFirstMove)
{
    SJoystickRig rig;
    describe(rig.device, 4, 0);
    rig.open();
    DIJOYSTATE2 state = restingState();
    state.lX = 3000;
    state.lY = -10000;
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    EXPECT_TRUE(rig.joystick->isCalibrated());
    EXPECT_FLOAT_EQ(rig.joystick->getAxis(1), 0.0f);
    state.lY = 10000;
    rig.device.setJoystickState(state);
    rig.joystick->update(0.01f);
    EXPECT_FLOAT_EQ(rig.joystick->getAxis(1), 1.0f);
}

TEST(CDirectInputJoystickTest, DestructionUnacquiresAndReleasesTheDevice)
{
    CFakeDevice device;
    CDirectInputJoystick* joystick = new CDirectInputJoystick(nullptr, 0, &device);
    joystick->release();
    EXPECT_EQ(device.references, 0u);
    ASSERT_GE(device.calls.size(), 2u);
    EXPECT_EQ(device.calls[device.calls.size() - 2], "Unacquire");
    EXPECT_EQ(device.calls.back(), "Release");
}
