#include "Engine/IInput/Windows/CWin32InputManager.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Windows/CDirectInputMouse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

// These run on the system's DirectInput and XInput and expect whatever game
// controllers the system reports (none on the build machines under Wine).

namespace {

int logged(const char* line)
{
    const std::vector<std::string>& lines = CLogCapture::lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), std::string(line)));
}

bool xinputConnected(DWORD index)
{
    XINPUT_STATE state{};
    return getSystemXInput().getState(index, &state) == ERROR_SUCCESS;
}

struct SOpenable
{
    IDirectInput8A* directInput;
    std::vector<std::string>* ids;
};

// Like the manager, lists only the devices that can be opened.
BOOL CALLBACK collectOpenable(LPCDIDEVICEINSTANCEA instance, LPVOID context)
{
    SOpenable& found = *static_cast<SOpenable*>(context);
    IDirectInputDevice8A* device = nullptr;
    if (SUCCEEDED(found.directInput->CreateDevice(instance->guidInstance, &device, nullptr)))
    {
        device->Release();
        found.ids->push_back(std::string("DirectInput:") + CWin32InputManager::formatGuid(instance->guidInstance).c_str());
    }
    return DIENUM_CONTINUE;
}

// The joystick ids the system offers right now, asked of it directly.
std::vector<std::string> systemJoystickIds()
{
    std::vector<std::string> ids;
    for (DWORD n = 0; n < 4; ++n)
        if (xinputConnected(n))
            ids.push_back("XInput:" + std::to_string(n));
    IDirectInput8A* directInput = nullptr;
    if (FAILED(CWin32InputManager::createSystemDirectInput(&directInput)))
        return ids;
    SOpenable context = {directInput, &ids};
    directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, collectOpenable, &context, DIEDFL_ATTACHEDONLY);
    directInput->Release();
    return ids;
}

} // namespace

TEST(CWin32InputManagerSystemTest, FactoryMakesAManagerOnTheSystemDirectInput)
{
    CLogCapture capture;
    CManagedPtr<CInputManager> manager = createInputManager();
    CWin32InputManager* win32 = dynamic_cast<CWin32InputManager*>(manager.get());
    ASSERT_NE(win32, nullptr);
    EXPECT_EQ(manager->getReferenceCount(), 1u);
    EXPECT_TRUE(win32->hasDirectInput());
    EXPECT_EQ(logged("Creating DInput8 device\n"), 1);
    EXPECT_EQ(CLogCapture::lines().size(), 1u);
}

TEST(CWin32InputManagerSystemTest, SystemMouseIsCreatedAndAcquired)
{
    CManagedPtr<CInputManager> manager = createInputManager();
    CManagedPtr<CMouse> mouse = manager->createMouse(GetDesktopWindow(), 0);
    ASSERT_TRUE(mouse);
    CDirectInputMouse* directInput = dynamic_cast<CDirectInputMouse*>(mouse.get());
    ASSERT_NE(directInput, nullptr);
    EXPECT_TRUE(directInput->isActive());
    manager->update(0.01f);
    EXPECT_TRUE(directInput->isActive());
    EXPECT_EQ(mouse->getDeltaX(), 0);
    EXPECT_EQ(mouse->getWheel(), 0.0f);
}

TEST(CWin32InputManagerSystemTest, ListsTheGameControllersTheSystemReports)
{
    const std::vector<std::string> expected = systemJoystickIds();
    CLogCapture capture;
    CManagedPtr<CInputManager> manager = createInputManager();
    CArray<SJoystickDescriptor> list;
    manager->enumerateJoysticks(list);
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < list.getCount(); ++i)
        ids.push_back(list[i].id.c_str());
    EXPECT_EQ(ids, expected);
    // The creation line, then one line per controller found.
    EXPECT_EQ(CLogCapture::lines().size(), 1u + expected.size());
}

TEST(CWin32InputManagerSystemTest, XInputControllersOpenOnlyWhenConnected)
{
    CManagedPtr<CInputManager> manager = createInputManager();
    CLogCapture capture;
    SJoystickDescriptor descriptor;
    descriptor.id = "XInput:7";
    EXPECT_FALSE(manager->createJoystick(nullptr, descriptor, 1));
    EXPECT_EQ(logged("XInput controller 7 not active\n"), 1);
    bool connected = xinputConnected(0);
    descriptor.id = "XInput:0";
    EXPECT_EQ(static_cast<bool>(manager->createJoystick(nullptr, descriptor, 1)), connected);
    EXPECT_EQ(logged("XInput controller 0 not active\n"), connected ? 0 : 1);
}
