#pragma once

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Linux/SdlJoysticks.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace Tavrin {
namespace Engine {
namespace Testing {

// Runs SDL's joystick and game-controller subsystems and plugs in devices of
// its virtual joystick driver, so that no hardware is needed.
class CSdlVirtualJoysticks : public testing::Test
{
protected:
    struct SRumble
    {
        Uint16 low, high;
    };

    void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError(); }
    void TearDown() override
    {
        for (SDL_Joystick* handle : m_handles)
        {
            if (SDL_JoystickGetAttached(handle))
                unplug(handle);
            SDL_JoystickClose(handle);
        }
        m_handles.clear();
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    // Plugs in a device and returns the test's own handle on it for setting
    // its state; type SDL_JOYSTICK_TYPE_GAMECONTROLLER makes SDL map it as an
    // XInput-style pad (a:b0, b:b1, x:b2, y:b3, back:b4, guide:b5, start:b6,
    // leftstick:b7, rightstick:b8, shoulders b9 and b10, dpad up, down, left,
    // right b11 to b14; sticks a0 to a3, triggers a4 and a5).
    SDL_Joystick* plug(SDL_JoystickType type, Uint16 axes, Uint16 buttons, Uint16 hats, const char* name)
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = static_cast<Uint16>(type);
        desc.naxes = axes;
        desc.nbuttons = buttons;
        desc.nhats = hats;
        desc.name = name;
        desc.userdata = this;
        desc.Rumble = &CSdlVirtualJoysticks::_onRumble;
        int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        return hold(index);
    }
    // A handle of the test's own on the device at index.
    SDL_Joystick* hold(int index)
    {
        SDL_Joystick* handle = SDL_JoystickOpen(index);
        EXPECT_NE(handle, nullptr) << SDL_GetError();
        m_handles.push_back(handle);
        return handle;
    }
    SDL_Joystick* plugPad(const char* name = "Virtual pad")
    {
        SDL_Joystick* pad = plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0, name);
        // At rest a full-range trigger axis sits at its negative end.
        SDL_JoystickSetVirtualAxis(pad, 4, -32768);
        SDL_JoystickSetVirtualAxis(pad, 5, -32768);
        return pad;
    }
    static int deviceIndex(SDL_Joystick* handle)
    {
        SDL_JoystickID instance = SDL_JoystickInstanceID(handle);
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == instance)
                return i;
        return -1;
    }
    void unplug(SDL_Joystick* handle) { ASSERT_EQ(SDL_JoystickDetachVirtual(deviceIndex(handle)), 0) << SDL_GetError(); }
    // Lets go of the test's handle, so that a device can reopen the joystick.
    void forget(SDL_Joystick* handle)
    {
        for (size_t i = 0; i < m_handles.size(); ++i)
            if (m_handles[i] == handle)
            {
                m_handles.erase(m_handles.begin() + static_cast<std::ptrdiff_t>(i));
                SDL_JoystickClose(handle);
                return;
            }
    }
    // The device's entry in the listing.
    static SJoystickDescriptor describe(SDL_Joystick* handle)
    {
        CArray<SJoystickDescriptor> list;
        enumerateSdlJoysticks(list);
        return list.at(static_cast<uint64_t>(deviceIndex(handle)));
    }
    static CManagedPtr<CJoystick> open(SDL_Joystick* handle, void* window = nullptr, uint32_t foregroundOnly = 0)
    {
        return CManagedPtr<CJoystick>::adopt(createSdlJoystick(window, describe(handle), foregroundOnly));
    }

    std::vector<SRumble> m_rumbles;

private:
    static int SDLCALL _onRumble(void* userdata, Uint16 low, Uint16 high)
    {
        static_cast<CSdlVirtualJoysticks*>(userdata)->m_rumbles.push_back({low, high});
        return 0;
    }

    std::vector<SDL_Joystick*> m_handles;
};

} // namespace Testing
} // namespace Engine
} // namespace Tavrin
