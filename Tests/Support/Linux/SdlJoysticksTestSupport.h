#pragma once

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IInput/Linux/CSdlLibrary.h"
#include "Engine/IInput/Linux/SdlJoysticks.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Tavrin {
namespace Engine {
namespace Testing {

// SDL's joystick subsystems with devices of its virtual driver: no hardware.
class CSdlVirtualJoysticks : public testing::Test
{
protected:
    void SetUp() override
    {
        m_library.reset(new CSdlLibrary(SDL_INIT_GAMECONTROLLER));
        ASSERT_TRUE(m_library->isReady()) << SDL_GetError();
    }
    void TearDown() override
    {
        for (SDL_Joystick* handle : m_handles)
        {
            if (SDL_JoystickGetAttached(handle))
                unplug(handle);
            SDL_JoystickClose(handle);
        }
        m_library.reset();
    }

    // Plugs in a device; returns the test's own handle for setting its state.
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
        desc.userdata = &m_rumbles;
        desc.Rumble = [](void* rumbles, Uint16 low, Uint16 high) {
            static_cast<std::vector<std::pair<int, int>>*>(rumbles)->emplace_back(low, high);
            return 0;
        };
        return hold(SDL_JoystickAttachVirtualEx(&desc));
    }
    // SDL maps it as a pad: a, b, x, y, back, guide, start, stick presses,
    // shoulders, pad up, down, left, right are b0 to b14; sticks a0 to a3,
    // triggers a4 and a5 (resting at -32768).
    SDL_Joystick* plugPad(const char* name = "Virtual pad")
    {
        SDL_Joystick* pad = plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0, name);
        SDL_JoystickSetVirtualAxis(pad, 4, -32768);
        SDL_JoystickSetVirtualAxis(pad, 5, -32768);
        return pad;
    }
    SDL_Joystick* hold(int index)
    {
        SDL_Joystick* handle = SDL_JoystickOpen(index);
        EXPECT_NE(handle, nullptr) << SDL_GetError();
        m_handles.push_back(handle);
        return handle;
    }
    // Lets go of the test's handle, so that a device may reopen the joystick.
    void forget(SDL_Joystick* handle)
    {
        m_handles.erase(std::find(m_handles.begin(), m_handles.end(), handle));
        SDL_JoystickClose(handle);
    }
    static int deviceIndex(SDL_Joystick* handle)
    {
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == SDL_JoystickInstanceID(handle))
                return i;
        return -1;
    }
    void unplug(SDL_Joystick* handle) { ASSERT_EQ(SDL_JoystickDetachVirtual(deviceIndex(handle)), 0) << SDL_GetError(); }
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
    static long countLogged(const std::string& ending)
    {
        const std::vector<std::string>& lines = CLogCapture::lines();
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.size() >= ending.size() && line.compare(line.size() - ending.size(), ending.size(), ending) == 0;
        });
    }

    std::vector<std::pair<int, int>> m_rumbles;

private:
    std::unique_ptr<CSdlLibrary> m_library;
    std::vector<SDL_Joystick*> m_handles;
};

} // namespace Testing
} // namespace Engine
} // namespace Tavrin
