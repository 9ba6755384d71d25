#pragma once

#include "Engine/IInput/CInputDevice.h"
#include "Engine/IInput/CInputMapper.h"
#include "Engine/IInput/CJoystick.h"
#include "Engine/IInput/CMouse.h"
#include "Engine/IInput/SJoystickDescriptor.h"
#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Patterns/CPoolManager.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The abstract input manager: the registry of live devices (device ID = pool
// slot), one call that polls them all, and the platform operations that open
// joysticks and the mouse. Devices must be released before their manager.
class CInputManager : public CManaged, public CPoolManager<CInputDevice>
{
public:
    CInputManager();
    // Gives registered devices their last-release hook, then deletes those
    // still registered, in slot order.
    ~CInputManager() override;
    CInputManager(const CInputManager&) = delete;
    CInputManager& operator=(const CInputManager&) = delete;

    // Polls every registered device; an exception from one stops the pass.
    virtual void update(float dt);
    // Appends, without clearing, the joysticks that can be opened.
    virtual void enumerateJoysticks(CArray<SJoystickDescriptor>& out) = 0;
    // A new registered joystick, or an empty pointer.
    virtual CManagedPtr<CJoystick> createJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly) = 0;
    // A new registered mouse, or an empty pointer.
    virtual CManagedPtr<CMouse> createMouse(void* window, uint32_t foregroundOnly) = 0;
    // A new mapper, not registered with this manager.
    virtual CManagedPtr<CInputMapper> createInputMapper();

    CInputDevice* getDevice(uint32_t id) const { return getManaged(id); }
    uint32_t getFreeCount() const { return m_objects.getFreeCount(); }

protected:
    // Registers a device that a platform operation has just created.
    void _attach(CInputDevice* device);
};

// The manager of the running platform: the null manager where the platform
// has no input backend.
CManagedPtr<CInputManager> createInputManager();

} // namespace Engine
} // namespace Tavrin
