#include "Engine/IInput/Windows/CWin32InputManager.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Windows/CDirectInputJoystick.h"
#include "Engine/IInput/Windows/CDirectInputMouse.h"
#include "Engine/IInput/Windows/CXInputJoystick.h"
#include "Engine/IInput/Windows/FakeDirectInput.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

// {0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}
const GUID C_PAD_GUID = {0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};
const char* const C_PAD_ID = "DirectInput:{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";
// {FEDCBA98-7654-3210-0123-456789ABCDEF}
const GUID C_STICK_GUID = {0xFEDCBA98, 0x7654, 0x3210, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
const char* const C_STICK_ID = "DirectInput:{FEDCBA98-7654-3210-0123-456789ABCDEF}";

// The factory hands out the current test's fake DirectInput (or fails).
CFakeDirectInput* s_directInput = nullptr;
HRESULT s_factoryResult = DI_OK;

HRESULT fakeFactory(IDirectInput8A** out)
{
    if (FAILED(s_factoryResult))
    {
        *out = nullptr;
        return s_factoryResult;
    }
    *out = s_directInput;
    return DI_OK;
}

SJoystickDescriptor withId(const char* id)
{
    SJoystickDescriptor descriptor;
    descriptor.id = id;
    return descriptor;
}

class CWin32InputManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SFakeXInput::reset();
        s_directInput = &m_directInput;
        s_factoryResult = DI_OK;
        m_directInput.instances.push_back({C_PAD_GUID, "Pad", "Pad Product", &m_pad, DI_OK});
        m_directInput.instances.push_back({C_STICK_GUID, "Stick", "Stick Product", &m_stick, DI_OK});
        m_directInput.mouse = &m_mouse;
        m_mouse.setMouseState(DIMOUSESTATE{});
    }
    void TearDown() override
    {
        s_directInput = nullptr;
        SFakeXInput::reset();
    }
    CManagedPtr<CWin32InputManager> makeManager()
    {
        return CManagedPtr<CWin32InputManager>::adopt(new CWin32InputManager(&fakeFactory, SFakeXInput::entryPoints()));
    }
    static int logged(const std::string& line)
    {
        const std::vector<std::string>& lines = CLogCapture::lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

    CFakeDirectInput m_directInput;
    CFakeDevice m_pad;
    CFakeDevice m_stick;
    CFakeDevice m_mouse;
};

} // namespace

TEST_F(CWin32InputManagerTest, GuidsAreFormattedInRegistryForm)
{
    EXPECT_STREQ(CWin32InputManager::formatGuid(GUID_SysMouse).c_str(), "{6F1D2B60-D5A0-11CF-BFC7-444553540000}");
    EXPECT_STREQ(CWin32InputManager::formatGuid(C_PAD_GUID).c_str(), C_PAD_ID + 12);
}

TEST_F(CWin32InputManagerTest, ListsXInputControllersThenDirectInputDevices)
{
    CLogCapture capture;
    SFakeXInput::get().connected[0] = true;
    SFakeXInput::get().connected[2] = true;
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CArray<SJoystickDescriptor> list;
    manager->enumerateJoysticks(list);

    const char* expected[][2] = {
        {"XInput Controller #0", "XInput:0"},
        {"XInput Controller #2", "XInput:2"},
        {"DirectInput Pad", C_PAD_ID},
        {"DirectInput Stick", C_STICK_ID},
    };
    ASSERT_EQ(list.getCount(), 4u);
    for (uint64_t i = 0; i < 4; ++i)
    {
        EXPECT_STREQ(list[i].name.c_str(), expected[i][0]) << i;
        EXPECT_STREQ(list[i].id.c_str(), expected[i][1]) << i;
    }
    EXPECT_EQ(SFakeXInput::get().polled, std::vector<DWORD>({0, 1, 2, 3}));
    EXPECT_EQ(m_directInput.enumClasses, std::vector<DWORD>({DI8DEVCLASS_GAMECTRL}));
    EXPECT_EQ(m_directInput.enumFlags, std::vector<DWORD>({DIEDFL_ATTACHEDONLY}));
    // Each device is opened to check it, and let go at once.
    EXPECT_EQ(m_pad.references, 1u);
    EXPECT_EQ(m_stick.references, 1u);
    EXPECT_EQ(m_pad.count("Release"), 1);
    std::vector<std::string> lines = {"Creating DInput8 device\n", "XInput controller #0 found\n", "XInput controller #2 found\n",
                                      "DInput Joystick found: 'Pad' from Pad Product\n",
                                      "DInput Joystick found: 'Stick' from Stick Product\n"};
    EXPECT_EQ(CLogCapture::lines(), lines);

    // A second call appends the same again.
    manager->enumerateJoysticks(list);
    ASSERT_EQ(list.getCount(), 8u);
    EXPECT_STREQ(list[7].id.c_str(), C_STICK_ID);
}

TEST_F(CWin32InputManagerTest, DevicesThatCannotBeOpenedAreSkipped)
{
    CLogCapture capture;
    m_directInput.instances[0].createResult = DIERR_DEVICENOTREG;
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CArray<SJoystickDescriptor> list;
    manager->enumerateJoysticks(list);
    ASSERT_EQ(list.getCount(), 1u);
    EXPECT_STREQ(list[0].id.c_str(), C_STICK_ID);
    EXPECT_EQ(logged("DInput Joystick found: 'Pad' from Pad Product\n"), 0);
}

TEST_F(CWin32InputManagerTest, FailedEnumerationIsLoggedAndKeepsWhatWasListed)
{
    CLogCapture capture;
    m_directInput.enumResult = DIERR_INVALIDPARAM;
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CArray<SJoystickDescriptor> list;
    list.add(withId("Kept:0"));
    manager->enumerateJoysticks(list);
    EXPECT_EQ(list.getCount(), 3u);
    EXPECT_STREQ(list[0].id.c_str(), "Kept:0");
    EXPECT_EQ(logged("Failed to enum DInput joystick devices: -2147024809\n"), 1);
}

TEST_F(CWin32InputManagerTest, WithoutDirectInputNothingIsListedOrOpened)
{
    CLogCapture capture;
    s_factoryResult = E_FAIL;
    SFakeXInput::get().connected[0] = true;
    CManagedPtr<CWin32InputManager> manager = makeManager();
    EXPECT_FALSE(manager->hasDirectInput());
    EXPECT_EQ(logged("Failed to create DInput8 device: -2147467259\n"), 1);
    CArray<SJoystickDescriptor> list;
    manager->enumerateJoysticks(list);
    EXPECT_EQ(list.getCount(), 0u);
    EXPECT_FALSE(manager->createJoystick(nullptr, withId("XInput:0"), 1));
    EXPECT_FALSE(manager->createMouse(nullptr, 1));
    EXPECT_TRUE(SFakeXInput::get().polled.empty());
    EXPECT_TRUE(m_directInput.created.empty());
}

TEST_F(CWin32InputManagerTest, MalformedIdentifiersOpenNothingQuietly)
{
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CLogCapture capture;
    const char* ids[] = {"", "XInput0", "directinput:{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}", "xinput:0", "Other:0", ":0"};
    SFakeXInput::get().connected[0] = true;
    for (const char* id : ids)
        EXPECT_FALSE(manager->createJoystick(nullptr, withId(id), 1)) << id;
    EXPECT_TRUE(CLogCapture::lines().empty());
    EXPECT_TRUE(SFakeXInput::get().polled.empty());
    EXPECT_TRUE(m_directInput.enumClasses.empty());
}

TEST_F(CWin32InputManagerTest, XInputControllerThatDoesNotAnswerIsNotOpened)
{
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CLogCapture capture;
    EXPECT_FALSE(manager->createJoystick(nullptr, withId("XInput:7"), 1));
    EXPECT_EQ(logged("XInput controller 7 not active\n"), 1);
    EXPECT_FALSE(manager->createJoystick(nullptr, withId("XInput:1"), 1));
    EXPECT_EQ(logged("XInput controller 1 not active\n"), 1);
    EXPECT_EQ(manager->getSlotCount(), 0u);
}

TEST_F(CWin32InputManagerTest, XInputKeyIsReadLikeAtoi)
{
    SFakeXInput::get().connected[0] = true;
    SFakeXInput::get().connected[3] = true;
    CManagedPtr<CWin32InputManager> manager = makeManager();
    struct SCase
    {
        const char* id;
        uint32_t index;
    };
    const SCase cases[] = {{"XInput:", 0}, {"XInput:3", 3}, {"XInput:3rd", 3}, {"XInput:pad", 0}};
    for (const SCase& c : cases)
    {
        CManagedPtr<CJoystick> joystick = manager->createJoystick(nullptr, withId(c.id), 1);
        CXInputJoystick* xinput = dynamic_cast<CXInputJoystick*>(joystick.get());
        ASSERT_NE(xinput, nullptr) << c.id;
        EXPECT_EQ(xinput->getControllerIndex(), c.index) << c.id;
        EXPECT_EQ(joystick->getManager(), static_cast<CManager*>(manager.get()));
        EXPECT_EQ(manager->getDevice(joystick->getId()), joystick.get());
        EXPECT_EQ(joystick->getReferenceCount(), 1u);
    }
    EXPECT_EQ(manager->getSlotCount(), 0u);
}

TEST_F(CWin32InputManagerTest, DirectInputJoystickIsOpenedByItsGuid)
{
    CManagedPtr<CWin32InputManager> manager = makeManager();
    m_stick.caps.dwButtons = 6;
    CManagedPtr<CJoystick> joystick = manager->createJoystick(reinterpret_cast<void*>(0x99), withId(C_STICK_ID), 1);
    CDirectInputJoystick* stick = dynamic_cast<CDirectInputJoystick*>(joystick.get());
    ASSERT_NE(stick, nullptr);
    EXPECT_EQ(stick->getDeviceButtons(), 6u);
    EXPECT_EQ(m_stick.cooperativeWindow, reinterpret_cast<HWND>(0x99));
    EXPECT_EQ(m_stick.cooperativeFlags, 6u);
    // Only the matching device was created; the joystick holds its reference.
    ASSERT_EQ(m_directInput.created.size(), 1u);
    EXPECT_TRUE(m_directInput.created[0] == C_STICK_GUID);
    EXPECT_EQ(m_stick.references, 2u);
    EXPECT_EQ(m_pad.count("SetDataFormat"), 0);
    EXPECT_EQ(manager->getDevice(joystick->getId()), joystick.get());

    joystick.reset();
    EXPECT_EQ(m_stick.references, 1u);
    EXPECT_EQ(manager->getSlotCount(), 0u);
}

TEST_F(CWin32InputManagerTest, DirectInputSelectionFailures)
{
    CManagedPtr<CWin32InputManager> manager = makeManager();
    {
        CLogCapture capture;
        const char* gone = "DirectInput:{00000000-0000-0000-0000-000000000000}";
        EXPECT_FALSE(manager->createJoystick(nullptr, withId(gone), 1));
        EXPECT_EQ(logged(std::string("Could not locate a DInput joystick of name ") + gone + "\n"), 1);
    }
    {
        // A key must match the whole GUID text, not a prefix of it.
        CLogCapture capture;
        std::string prefix(C_STICK_ID, strlen(C_STICK_ID) - 1);
        EXPECT_FALSE(manager->createJoystick(nullptr, withId(prefix.c_str()), 1));
        EXPECT_EQ(logged("Could not locate a DInput joystick of name " + prefix + "\n"), 1);
    }
    {
        CLogCapture capture;
        m_directInput.instances[1].createResult = DIERR_OUTOFMEMORY;
        EXPECT_FALSE(manager->createJoystick(nullptr, withId(C_STICK_ID), 1));
        EXPECT_EQ(logged(std::string("Could not locate a DInput joystick of name ") + C_STICK_ID + "\n"), 1);
    }
    {
        CLogCapture capture;
        m_directInput.enumResult = DIERR_NOTINITIALIZED;
        EXPECT_FALSE(manager->createJoystick(nullptr, withId(C_PAD_ID), 1));
        char line[160];
        snprintf(line, sizeof(line), "Failed to select DInput joystick device %s: %d\n", C_PAD_ID, static_cast<int>(DIERR_NOTINITIALIZED));
        EXPECT_EQ(logged(line), 1);
        // The device found before the failure is not leaked.
        EXPECT_EQ(m_pad.references, 1u);
    }
    EXPECT_EQ(manager->getSlotCount(), 0u);
}

TEST_F(CWin32InputManagerTest, MouseIsTheSystemMouseRegisteredWithTheManager)
{
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CManagedPtr<CMouse> mouse = manager->createMouse(nullptr, 0);
    ASSERT_TRUE(mouse);
    ASSERT_EQ(m_directInput.created.size(), 1u);
    EXPECT_TRUE(m_directInput.created[0] == GUID_SysMouse);
    EXPECT_TRUE(dynamic_cast<CDirectInputMouse*>(mouse.get())->isActive());
    EXPECT_EQ(manager->getDevice(mouse->getId()), mouse.get());

    DIMOUSESTATE moved{};
    moved.lX = 4;
    m_mouse.setMouseState(moved);
    manager->update(0.01f);
    EXPECT_EQ(mouse->getDeltaX(), 4);
}

TEST_F(CWin32InputManagerTest, MouseThatCannotBeCreatedIsLogged)
{
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CLogCapture capture;
    m_directInput.mouseResult = DIERR_NOINTERFACE;
    EXPECT_FALSE(manager->createMouse(nullptr, 1));
    EXPECT_EQ(logged("Failed to create a Direct Input mouse device\n"), 1);
}

TEST_F(CWin32InputManagerTest, DestructionReleasesDirectInputAndDevicesStillRegistered)
{
    CManagedPtr<CWin32InputManager> manager = makeManager();
    CJoystick* kept = manager->createJoystick(nullptr, withId(C_PAD_ID), 0).detach();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(m_pad.references, 2u);
    manager.reset();
    EXPECT_EQ(m_directInput.references, 0u);
    EXPECT_EQ(m_pad.references, 1u);
}
