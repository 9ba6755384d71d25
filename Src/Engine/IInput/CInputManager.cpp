#include "Engine/IInput/CInputManager.h"

namespace Tavrin {
namespace Engine {

CInputManager::CInputManager() = default;

CInputManager::~CInputManager()
{
    releaseAll();
    _deleteRemaining();
}

void CInputManager::update(float dt)
{
    // A device's update may release devices, so the slot count is re-read.
    for (uint32_t id = 0; id < getSlotCount(); ++id)
    {
        CInputDevice* device = getManaged(id);
        if (device)
            device->update(dt);
    }
}

CManagedPtr<CInputMapper> CInputManager::createInputMapper()
{
    return CManagedPtr<CInputMapper>::adopt(new CInputMapper());
}

void CInputManager::_attach(CInputDevice* device)
{
    device->setManager(static_cast<CManager*>(this));
}

} // namespace Engine
} // namespace Tavrin
