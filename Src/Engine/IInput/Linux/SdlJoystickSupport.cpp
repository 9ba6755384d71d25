#include "Engine/IInput/Linux/SdlJoystickSupport.h"

#include <SDL.h>

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const char C_ID_PREFIX[] = "SDL:";

bool sameGuid(const SDL_JoystickGUID& a, const SDL_JoystickGUID& b)
{
    return memcmp(a.data, b.data, sizeof(a.data)) == 0;
}

} // namespace

uint32_t countSdlJoystickTwins(int deviceIndex)
{
    SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(deviceIndex);
    uint32_t twins = 0;
    for (int i = 0; i < deviceIndex; ++i)
        if (sameGuid(SDL_JoystickGetDeviceGUID(i), guid))
            ++twins;
    return twins;
}

CString makeSdlJoystickId(int deviceIndex)
{
    char text[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(deviceIndex), text, sizeof(text));
    CString id;
    id.format("%s%s#%u", C_ID_PREFIX, text, static_cast<unsigned>(countSdlJoystickTwins(deviceIndex)));
    return id;
}

bool isSdlJoystickId(const CString& id)
{
    return strncmp(id.c_str(), C_ID_PREFIX, sizeof(C_ID_PREFIX) - 1) == 0;
}

int findSdlJoystick(const CString& id)
{
    if (!isSdlJoystickId(id))
        return -1;
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
        if (makeSdlJoystickId(i) == id)
            return i;
    return -1;
}

int findReopenableSdlJoystick(const CString& id)
{
    int index = findSdlJoystick(id);
    if (index < 0 || SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index)))
        return -1;
    return index;
}

float scaleSdlAxis(int16_t value)
{
    // -32768 would overshoot by a hair; the XInput sticks clamp the same way.
    float v = static_cast<float>(value) * 3.0518509e-5f;
    return v < -1.0f ? -1.0f : v;
}

} // namespace Engine
} // namespace Tavrin
