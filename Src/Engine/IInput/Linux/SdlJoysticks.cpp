#include "Engine/IInput/Linux/SdlJoysticks.h"

namespace Tavrin {
namespace Engine {

// Placeholder until the SDL joystick devices are merged.
void enumerateSdlJoysticks(CArray<SJoystickDescriptor>&)
{
}

CJoystick* createSdlJoystick(void*, const SJoystickDescriptor&, uint32_t)
{
    return nullptr;
}

} // namespace Engine
} // namespace Tavrin
