#include "Engine/IKernel/Resources/CResourceLocationManager.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

CResourceLocationManager* CResourceLocationManager::s_instance = nullptr;

CResourceLocationManager::~CResourceLocationManager()
{
    if (s_instance == this)
        s_instance = nullptr;
}

uint32_t CResourceLocationManager::registerManaged(CManaged* object)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object));
}

} // namespace Engine
} // namespace Tavrin
