#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManager.h"
#include "Engine/IKernel/Types/CPool.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A manager that keeps its objects (of class T, a CManaged) in a CPool: the
// pool index is the object's ID, and the most recently freed ID is reused first.
template <typename T>
class CPoolManager : public CManager
{
public:
    using CManager::registerManaged;

    uint32_t registerManaged(CManaged* object) override { return m_objects.add(static_cast<T*>(object)); }

    void unregisterManaged(CManaged* object) override
    {
        uint32_t id = object->getId();
        // A slot holding another object is not ours to free; an ID outside the
        // pool still reaches the pool's range error.
        if (id < m_objects.getSlotCount() && m_objects.get(id) != static_cast<T*>(object))
            return;
        m_objects.set(id, nullptr);
        m_objects.free(id);
    }

    // Gives every registered object its last-release hook, keeping it alive
    // meanwhile. Releasing may shrink the pool, so the count is re-read.
    void releaseAll() override
    {
        for (uint32_t id = 0; id < m_objects.getSlotCount(); ++id)
        {
            T* object = m_objects.get(id);
            if (!object)
                continue;
            object->addRef();
            object->onLastRelease();
            object->release();
        }
    }

    // The object registered under an ID, or null for a free or unknown ID.
    T* getManaged(uint32_t id) const { return id < m_objects.getSlotCount() ? m_objects.get(id) : nullptr; }
    uint32_t getSlotCount() const { return m_objects.getSlotCount(); }

protected:
    // Deletes the objects still registered, in slot order; for the owner's
    // destructor, after releaseAll.
    void _deleteRemaining()
    {
        for (uint32_t id = 0; id < m_objects.getSlotCount(); ++id)
        {
            T* object = m_objects.get(id);
            if (!object)
                continue;
            m_objects.set(id, nullptr);
            delete object;
        }
    }

    CPool<T*> m_objects;
};

} // namespace Engine
} // namespace Tavrin
