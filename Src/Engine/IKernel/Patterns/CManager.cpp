#include "Engine/IKernel/Patterns/CManager.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Patterns/CManaged.h"

namespace Tavrin {
namespace Engine {

uint32_t CManager::registerManaged(CManaged* /*object*/, uint32_t /*idHint*/)
{
    TAVRIN_THROW_AT(CNotImplementedException, "Method not implemented\n", "Engine/IKernel/Patterns/CManager", 33);
}

void CManager::unregisterManaged(CManaged* /*object*/)
{
}

void CManager::destroyManaged(CManaged* object)
{
    delete object;
}

void CManager::releaseAll()
{
}

} // namespace Engine
} // namespace Tavrin
