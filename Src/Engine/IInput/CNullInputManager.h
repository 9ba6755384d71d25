#pragma once

#include "Engine/IInput/CInputManager.h"

namespace Tavrin {
namespace Engine {

// An input manager without a backend: no joysticks and no mouse. Keyboard
// and mouse buttons still reach a mapper through window events.
class CNullInputManager : public CInputManager
{
public:
    CNullInputManager();
    ~CNullInputManager() override;

    void enumerateJoysticks(CArray<SJoystickDescriptor>& out) override;
    CManagedPtr<CJoystick> createJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly) override;
    CManagedPtr<CMouse> createMouse(void* window, uint32_t foregroundOnly) override;
};

} // namespace Engine
} // namespace Tavrin
