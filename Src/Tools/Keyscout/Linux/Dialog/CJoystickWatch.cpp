#include "Tools/Keyscout/Linux/Dialog/CJoystickWatch.h"

#include <SDL.h>

namespace {

bool takeEvents(uint32_t first, uint32_t last)
{
    SDL_Event events[16];
    bool taken = false;
    while (SDL_PeepEvents(events, 16, SDL_GETEVENT, first, last) > 0)
        taken = true;
    return taken;
}

} // namespace

bool CJoystickWatch::hasChanged()
{
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0)
        return false;
    // Nobody pumps SDL's events between detection runs; SDL looks for new
    // and departed devices here and queues their events.
    SDL_JoystickUpdate();
    bool joysticks = takeEvents(SDL_JOYDEVICEADDED, SDL_JOYDEVICEREMOVED);
    bool controllers = takeEvents(SDL_CONTROLLERDEVICEADDED, SDL_CONTROLLERDEVICEREMOVED);
    return joysticks || controllers;
}
