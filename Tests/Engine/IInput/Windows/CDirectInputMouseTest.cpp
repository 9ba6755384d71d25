#include "Engine/IInput/Windows/CDirectInputMouse.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Windows/FakeDirectInput.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

DIMOUSESTATE motion(LONG x, LONG y, LONG z)
{
    DIMOUSESTATE state{};
    state.lX = x;
    state.lY = y;
    state.lZ = z;
    state.rgbButtons[0] = 0x80;
    return state;
}

struct SMouseRig
{
    CFakeDevice device;
    CDirectInputMouse* mouse = nullptr;

    SMouseRig() { device.setMouseState(motion(0, 0, 0)); }
    void open(void* window = nullptr, uint32_t foregroundOnly = 0) { mouse = new CDirectInputMouse(window, foregroundOnly, &device); }
    void move(LONG x, LONG y, LONG z)
    {
        device.setMouseState(motion(x, y, z));
        mouse->update(0.01f);
    }
    ~SMouseRig()
    {
        if (mouse)
            mouse->release();
    }
};

void expectStill(const CDirectInputMouse& mouse)
{
    EXPECT_EQ(mouse.getDeltaX(), 0);
    EXPECT_EQ(mouse.getDeltaY(), 0);
    EXPECT_EQ(mouse.getWheel(), 0.0f);
}

} // namespace

TEST(CDirectInputMouseTest, ConstructionSetsTheFormatAndModeAndAcquires)
{
    for (uint32_t foregroundOnly = 0; foregroundOnly < 2; ++foregroundOnly)
    {
        SMouseRig rig;
        void* window = reinterpret_cast<void*>(0x4321);
        rig.open(window, foregroundOnly);
        EXPECT_EQ(rig.device.calls, std::vector<std::string>({"SetDataFormat", "SetCooperativeLevel", "Acquire"}));
        EXPECT_EQ(rig.device.dataFormat, &c_dfDIMouse);
        EXPECT_EQ(rig.device.cooperativeWindow, static_cast<HWND>(window));
        EXPECT_EQ(rig.device.cooperativeFlags, foregroundOnly ? 6u : 10u);
        EXPECT_TRUE(rig.mouse->isActive());
    }
}

TEST(CDirectInputMouseTest, MotionAndWheelSinceTheLastPoll)
{
    SMouseRig rig;
    rig.open();
    rig.move(10, -5, 0);
    EXPECT_EQ(rig.mouse->getDeltaX(), 10);
    EXPECT_EQ(rig.mouse->getDeltaY(), -5);
    EXPECT_EQ(rig.mouse->getWheel(), 0.0f);
    rig.move(0, 0, 120);
    EXPECT_FLOAT_EQ(rig.mouse->getWheel(), 1.0f);
    rig.move(0, 0, -240);
    EXPECT_FLOAT_EQ(rig.mouse->getWheel(), -2.0f);
    // Overwritten, not added up.
    rig.move(0, 0, 0);
    expectStill(*rig.mouse);
}

TEST(CDirectInputMouseTest, ForegroundOnlyMouseIsStillWithoutTheFocus)
{
    SMouseRig rig;
    rig.open(reinterpret_cast<void*>(0x1234), 1);
    rig.move(7, 7, 120);
    expectStill(*rig.mouse);
    EXPECT_FALSE(rig.mouse->isActive());
    EXPECT_EQ(rig.device.count("GetDeviceState"), 0);
}

TEST(CDirectInputMouseTest, LostInputIsAcquiredOncePerPoll)
{
    for (HRESULT lost : {DIERR_INPUTLOST, DIERR_NOTACQUIRED})
    {
        SMouseRig rig;
        rig.open();
        rig.move(3, 4, 0);
        rig.device.stateResults = {lost, lost};
        rig.device.acquireResults = {DIERR_OTHERAPPHASPRIO, DI_OK};
        rig.move(9, 9, 0);
        expectStill(*rig.mouse);
        EXPECT_FALSE(rig.mouse->isActive());
        rig.move(9, 9, 0);
        expectStill(*rig.mouse);
        EXPECT_TRUE(rig.mouse->isActive());
        rig.move(9, 8, 0);
        EXPECT_EQ(rig.mouse->getDeltaX(), 9);
        EXPECT_EQ(rig.mouse->getDeltaY(), 8);
        EXPECT_EQ(rig.device.count("Acquire"), 3);
    }
}

TEST(CDirectInputMouseTest, OtherFailuresLeaveTheMouseStillWithoutAcquiring)
{
    SMouseRig rig;
    rig.open();
    rig.move(3, 4, 0);
    rig.device.stateResults = {E_FAIL};
    rig.move(3, 4, 0);
    expectStill(*rig.mouse);
    EXPECT_FALSE(rig.mouse->isActive());
    EXPECT_EQ(rig.device.count("Acquire"), 1);
}

TEST(CDirectInputMouseTest, RefusedDataFormatLeavesTheMouseUnacquired)
{
    CLogCapture capture;
    SMouseRig rig;
    rig.device.dataFormatResult = DIERR_ACQUIRED;
    rig.open();
    const std::vector<std::string>& lines = CLogCapture::lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Cannot set data format on mouse\n"), 1);
    EXPECT_FALSE(rig.mouse->isActive());
    EXPECT_EQ(rig.device.count("Acquire"), 0);
}

TEST(CDirectInputMouseTest, RefusedCooperativeLevelIsLoggedAndConstructionGoesOn)
{
    CLogCapture capture;
    SMouseRig rig;
    rig.device.cooperativeLevelResult = E_HANDLE;
    rig.open();
    const std::vector<std::string>& lines = CLogCapture::lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Cannot set cooperative level on mouse\n"), 1);
    EXPECT_TRUE(rig.mouse->isActive());
}

TEST(CDirectInputMouseTest, DestructionUnacquiresAndReleasesTheDevice)
{
    CFakeDevice device;
    (new CDirectInputMouse(nullptr, 0, &device))->release();
    EXPECT_EQ(device.references, 0u);
    EXPECT_EQ(device.calls, std::vector<std::string>({"SetDataFormat", "SetCooperativeLevel", "Acquire", "Unacquire", "Release"}));
}
