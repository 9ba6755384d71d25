#include "Engine/IKernel/Patterns/CObservable.h"

namespace Tavrin {
namespace Engine {

CObservable::~CObservable()
{
    delete m_observers;
    m_observers = nullptr;
}

void CObservable::notify(uint64_t event)
{
    // The count is read again after every call: an observer may change the list.
    for (uint64_t i = 0; m_observers && i < m_observers->getCount(); ++i)
        (*m_observers)[i]->onNotify(this, event);
}

void CObservable::addObserver(CObserver* observer)
{
    if (!observer)
        return;
    if (!m_observers)
        m_observers = new CArray<CObserver*>();
    m_observers->add(observer);
}

void CObservable::removeObserver(CObserver* observer)
{
    if (m_observers)
        m_observers->removeAt(m_observers->indexOf(observer));
}

uint32_t CObservable::getObserverCount() const
{
    return m_observers ? static_cast<uint32_t>(m_observers->getCount()) : 0;
}

} // namespace Engine
} // namespace Tavrin
