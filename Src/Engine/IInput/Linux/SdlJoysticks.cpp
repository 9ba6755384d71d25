#include "Engine/IInput/Linux/SdlJoysticks.h"

#include "Engine/IInput/Linux/CSdlGameController.h"
#include "Engine/IInput/Linux/CSdlJoystick.h"
#include "Engine/IInput/Linux/SdlJoystickSupport.h"
#include "Engine/IKernel/CLog.h"

#include <SDL.h>

namespace Tavrin {
namespace Engine {

namespace {

// Twins share a name; the second and later ones get their number after it.
CString deviceName(int index)
{
    const char* name = SDL_JoystickNameForIndex(index);
    CString text(name ? name : "Unnamed joystick");
    uint32_t twin = getSdlJoystickTwin(index);
    if (twin > 0)
    {
        CString rank;
        text += rank.format(" #%u", static_cast<unsigned>(twin + 1));
    }
    return text;
}

CJoystick* openController(void* window, int index, const CString& id, uint32_t foregroundOnly)
{
    SDL_GameController* controller = SDL_GameControllerOpen(index);
    if (!controller)
    {
        log("Cannot open SDL game controller %s: %s\n", id.c_str(), SDL_GetError());
        return nullptr;
    }
    return new CSdlGameController(window, foregroundOnly, controller, id);
}

CJoystick* openJoystick(void* window, int index, const CString& id, uint32_t foregroundOnly)
{
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick)
    {
        log("Cannot open SDL joystick %s: %s\n", id.c_str(), SDL_GetError());
        return nullptr;
    }
    return new CSdlJoystick(window, foregroundOnly, joystick, id);
}

} // namespace

void enumerateSdlJoysticks(CArray<SJoystickDescriptor>& out)
{
    // Without an event pump SDL notices plugged devices only here.
    SDL_JoystickUpdate();
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
    {
        SJoystickDescriptor descriptor;
        descriptor.id = makeSdlJoystickId(i);
        descriptor.name = deviceName(i);
        log("SDL %s found: '%s' as %s\n", SDL_IsGameController(i) ? "game controller" : "joystick", descriptor.name.c_str(),
            descriptor.id.c_str());
        out.add(descriptor);
    }
}

CJoystick* createSdlJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly)
{
    // Another backend's identifier is not this one's to complain about.
    if (!isSdlJoystickId(descriptor.id))
        return nullptr;
    SDL_JoystickUpdate();
    int index = findSdlJoystick(descriptor.id);
    if (index < 0)
    {
        log("Could not locate a SDL joystick of name %s\n", descriptor.id.c_str());
        return nullptr;
    }
    if (SDL_IsGameController(index))
        return openController(window, index, descriptor.id, foregroundOnly);
    return openJoystick(window, index, descriptor.id, foregroundOnly);
}

} // namespace Engine
} // namespace Tavrin
