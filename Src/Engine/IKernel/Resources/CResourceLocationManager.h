#pragma once

#include "Engine/IKernel/Patterns/CManager.h"

namespace Tavrin {
namespace Engine {

// The manager of resource locations: an object's ID is its address's low 32 bits.
class CResourceLocationManager : public CManager
{
public:
    using CManager::registerManaged;

    ~CResourceLocationManager() override;

    uint32_t registerManaged(CManaged* object) override;

    // The process-wide manager, set by the kernel install.
    static CResourceLocationManager* getInstance() { return s_instance; }
    static void setInstance(CResourceLocationManager* manager) { s_instance = manager; }

private:
    static CResourceLocationManager* s_instance;
};

} // namespace Engine
} // namespace Tavrin
