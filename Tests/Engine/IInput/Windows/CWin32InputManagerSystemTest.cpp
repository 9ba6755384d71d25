#include "Engine/IInput/Windows/CWin32InputManager.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Windows/CDirectInputMouse.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

// These run on the system's DirectInput and XInput: on the build machines
// (Wine, no game controller) XInput answers "not connected" everywhere and
// DirectInput lists no game controller.

namespace {

int logged(const char* line)
{
    const std::vector<std::string>& lines = CLogCapture::lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), std::string(line)));
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

TEST(CWin32InputManagerSystemTest, NoGameControllerIsListed)
{
    CLogCapture capture;
    CManagedPtr<CInputManager> manager = createInputManager();
    CArray<SJoystickDescriptor> list;
    manager->enumerateJoysticks(list);
    EXPECT_EQ(list.getCount(), 0u);
    EXPECT_EQ(CLogCapture::lines().size(), 1u); // the creation line only
}

TEST(CWin32InputManagerSystemTest, MissingXInputControllerIsReported)
{
    CManagedPtr<CInputManager> manager = createInputManager();
    CLogCapture capture;
    SJoystickDescriptor descriptor;
    descriptor.id = "XInput:7";
    EXPECT_FALSE(manager->createJoystick(nullptr, descriptor, 1));
    EXPECT_EQ(logged("XInput controller 7 not active\n"), 1);
    descriptor.id = "XInput:0";
    EXPECT_FALSE(manager->createJoystick(nullptr, descriptor, 1));
    EXPECT_EQ(logged("XInput controller 0 not active\n"), 1);
}
