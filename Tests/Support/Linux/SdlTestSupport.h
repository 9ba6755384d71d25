#pragma once

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace Tavrin {
namespace Engine {
namespace Testing {

// Chooses SDL's video driver while alive: "dummy" needs no display; "x11"
// with the display variables removed is a machine without one.
class CSdlVideoDriver
{
public:
    explicit CSdlVideoDriver(const char* driver, bool withoutDisplay = false)
    {
        for (SVariable& variable : m_saved)
            if (const char* value = getenv(variable.name))
                variable.value = value, variable.present = true;
        setenv("SDL_VIDEODRIVER", driver, 1);
        if (withoutDisplay)
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
    }
    ~CSdlVideoDriver()
    {
        for (const SVariable& variable : m_saved)
            variable.present ? setenv(variable.name, variable.value.c_str(), 1) : unsetenv(variable.name);
    }

private:
    struct SVariable
    {
        const char* name;
        std::string value;
        bool present;
    };
    SVariable m_saved[3] = {{"SDL_VIDEODRIVER", "", false}, {"DISPLAY", "", false}, {"WAYLAND_DISPLAY", "", false}};
};

inline SDL_Event sdlEvent(uint32_t type)
{
    SDL_Event event;
    memset(&event, 0, sizeof(event));
    event.type = type;
    return event;
}

// Queued as the platform would queue them, for the pump to find.
inline void pushKey(uint32_t windowId, bool down, SDL_Scancode scancode, SDL_Keycode key, bool repeat = false,
                    uint16_t modifiers = 0)
{
    SDL_Event event = sdlEvent(down ? SDL_KEYDOWN : SDL_KEYUP);
    event.key.windowID = windowId;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}

inline void pushButton(uint32_t windowId, bool down, uint8_t button, int32_t x, int32_t y)
{
    SDL_Event event = sdlEvent(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
    event.button.windowID = windowId;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

inline void pushMotion(uint32_t windowId, int32_t x, int32_t y, int32_t dx, int32_t dy)
{
    SDL_Event event = sdlEvent(SDL_MOUSEMOTION);
    event.motion.windowID = windowId;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
}

inline void pushWheel(uint32_t windowId, float notches, bool flipped = false)
{
    SDL_Event event = sdlEvent(SDL_MOUSEWHEEL);
    event.wheel.windowID = windowId;
    event.wheel.y = static_cast<int32_t>(notches);
    event.wheel.preciseY = notches;
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&event);
}

inline void pushWindowEvent(uint32_t windowId, uint8_t which, int32_t data1 = 0, int32_t data2 = 0)
{
    SDL_Event event = sdlEvent(SDL_WINDOWEVENT);
    event.window.windowID = windowId;
    event.window.event = which;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}

} // namespace Testing
} // namespace Engine
} // namespace Tavrin
