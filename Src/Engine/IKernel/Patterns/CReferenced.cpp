#include "Engine/IKernel/Patterns/CReferenced.h"

namespace Tavrin {
namespace Engine {

uint32_t CReferenced::addRef()
{
    return m_referenceCount.fetch_add(1);
}

bool CReferenced::_tryAddRef()
{
    uint32_t count = m_referenceCount.load();
    while (count != 0)
        if (m_referenceCount.compare_exchange_weak(count, count + 1))
            return true;
    return false;
}

bool CReferenced::_dropReference()
{
    return m_referenceCount.fetch_sub(1) == 1;
}

void CReferenced::release()
{
    if (!_dropReference())
        return;
    onLastRelease();
    delete this;
}

} // namespace Engine
} // namespace Tavrin
