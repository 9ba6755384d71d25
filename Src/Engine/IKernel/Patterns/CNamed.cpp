#include "Engine/IKernel/Patterns/CNamed.h"

#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/Patterns/CNameManager.h"

namespace Tavrin {
namespace Engine {

CNamed::CNamed(uint32_t requestedNameId, uint32_t typeId)
{
    m_nameId = CNameManager::isNameUsed(requestedNameId) ? CNameManager::_makeAnonymousName() : requestedNameId;
    CNameManager::_addNamed(this, typeId);
}

CNamed::~CNamed()
{
    CNameManager::_removeNamed(this);
}

void CNamed::reload()
{
    CNameManager::_reload(this);
}

CString CNamed::getName() const
{
    return nameText(m_nameId);
}

} // namespace Engine
} // namespace Tavrin
