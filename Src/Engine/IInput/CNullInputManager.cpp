#include "Engine/IInput/CNullInputManager.h"

namespace Tavrin {
namespace Engine {

CNullInputManager::CNullInputManager() = default;

CNullInputManager::~CNullInputManager() = default;

void CNullInputManager::enumerateJoysticks(CArray<SJoystickDescriptor>&)
{
}

CManagedPtr<CJoystick> CNullInputManager::createJoystick(void*, const SJoystickDescriptor&, uint32_t)
{
    return CManagedPtr<CJoystick>();
}

CManagedPtr<CMouse> CNullInputManager::createMouse(void*, uint32_t)
{
    return CManagedPtr<CMouse>();
}

} // namespace Engine
} // namespace Tavrin
