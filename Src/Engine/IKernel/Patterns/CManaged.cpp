#include "Engine/IKernel/Patterns/CManaged.h"

#include "Engine/IKernel/Patterns/CManager.h"

namespace Tavrin {
namespace Engine {

void CManaged::release()
{
    if (!_dropReference())
        return;
    onLastRelease();
    if (CManager* manager = m_manager)
    {
        manager->unregisterManaged(this);
        manager->destroyManaged(this);
    }
    else
        delete this;
}

void CManaged::_leaveManager()
{
    if (m_manager)
        m_manager->unregisterManaged(this);
    m_manager = nullptr;
}

// The manager is stored only once registration succeeded, so that a manager
// that refuses the object never later unregisters or destroys it.
void CManaged::setManager(CManager* manager, uint32_t idHint)
{
    _leaveManager();
    if (!manager)
        return;
    m_id = manager->registerManaged(this, idHint);
    m_manager = manager;
}

void CManaged::setManager(CManager* manager)
{
    _leaveManager();
    if (!manager)
        return;
    m_id = manager->registerManaged(this);
    m_manager = manager;
}

} // namespace Engine
} // namespace Tavrin
