#include "Engine/IInput/Linux/SdlJoystickSupport.h"

#include "Engine/IInput/Linux/CSdlJoystickIdentities.h"
#include "Engine/IInput/Linux/SdlAxisPlacement.h"
#include "Engine/IInput/Linux/SdlDeviceNode.h"

#include <SDL.h>

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const char C_ID_PREFIX[] = "SDL:";

CString guidText(int deviceIndex)
{
    char text[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(deviceIndex), text, sizeof(text));
    return CString(text);
}

// Only devices the table has not seen yet are described (their node read).
CSdlJoystickIdentities::SDevice describe(int deviceIndex, const CSdlJoystickIdentities& identities)
{
    CSdlJoystickIdentities::SDevice device{SDL_JoystickGetDeviceInstanceID(deviceIndex), CString(), CString(), CString()};
    if (identities.knows(device.instance))
        return device;
    device.guid = guidText(deviceIndex);
    const char* path = SDL_JoystickPathForIndex(deviceIndex);
    device.path = path ? path : "";
    SSdlDeviceNode node;
    if (path && readSdlDeviceNode(path, node))
        device.serial = node.serial;
    return device;
}

CSdlJoystickIdentities& refreshIdentities()
{
    CSdlJoystickIdentities& identities = CSdlJoystickIdentities::get();
    CArray<CSdlJoystickIdentities::SDevice> attached;
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
        attached.add(describe(i, identities));
    identities.update(attached);
    return identities;
}

CString idOf(int deviceIndex, const CSdlJoystickIdentities& identities)
{
    CString id;
    id.format("%s%s#%u", C_ID_PREFIX, guidText(deviceIndex).c_str(),
              static_cast<unsigned>(identities.twinOf(SDL_JoystickGetDeviceInstanceID(deviceIndex))));
    return id;
}

} // namespace

uint32_t getSdlJoystickTwin(int deviceIndex)
{
    return refreshIdentities().twinOf(SDL_JoystickGetDeviceInstanceID(deviceIndex));
}

CString makeSdlJoystickId(int deviceIndex)
{
    return idOf(deviceIndex, refreshIdentities());
}

bool isSdlJoystickId(const CString& id)
{
    return strncmp(id.c_str(), C_ID_PREFIX, sizeof(C_ID_PREFIX) - 1) == 0;
}

int findSdlJoystick(const CString& id)
{
    if (!isSdlJoystickId(id))
        return -1;
    const CSdlJoystickIdentities& identities = refreshIdentities();
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
        if (idOf(i, identities) == id)
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

CArray<int32_t> placeSdlJoystickAxes(SDL_Joystick* joystick)
{
    int count = SDL_JoystickNumAxes(joystick);
    if (count <= 0)
        return CArray<int32_t>();
    const char* path = SDL_JoystickPath(joystick);
    SSdlDeviceNode node;
    // A count that differs means SDL read the device otherwise; trust its order.
    if (path && readSdlDeviceNode(path, node) && node.absoluteAxes.getCount() == static_cast<uint64_t>(count))
        return placeEvdevAxes(node.absoluteAxes);
    return placeAxesByIndex(static_cast<uint32_t>(count));
}

float scaleSdlAxis(int16_t value)
{
    // -32768 would overshoot by a hair; the XInput sticks clamp the same way.
    float v = static_cast<float>(value) * 3.0518509e-5f;
    return v < -1.0f ? -1.0f : v;
}

} // namespace Engine
} // namespace Tavrin
