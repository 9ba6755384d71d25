#pragma once

#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Slots with stable 32-bit indices; the most recently freed index is reused
// first. Used with pointer types: a null slot is free or cleared.
template <typename T>
class CPool
{
public:
    CPool() : m_slots(new CArray<T>()), m_freeIndices(new CArray<uint32_t>()) {}
    ~CPool()
    {
        delete m_slots;
        delete m_freeIndices;
    }
    CPool(const CPool&) = delete;
    CPool& operator=(const CPool&) = delete;

    uint32_t add(const T& value)
    {
        uint32_t index;
        uint64_t freeCount = m_freeIndices->getCount();
        if (freeCount > 0)
        {
            index = (*m_freeIndices)[freeCount - 1];
            m_freeIndices->setCount(freeCount - 1);
        }
        else
            index = static_cast<uint32_t>(m_slots->add(T()));
        (*m_slots)[index] = value;
        return index;
    }

    T& get(uint32_t index) { return (*m_slots)[index]; }
    const T& get(uint32_t index) const { return (*m_slots)[index]; }

    void set(uint32_t index, const T& value)
    {
        if (index >= m_slots->getCount())
            TAVRIN_THROW_AT(CInvalidArgumentException, "Cannot set an element outside array range\n", "Engine/IKernel/Types/CPool", 159);
        (*m_slots)[index] = value;
    }

    // The slot's value is not cleared: callers set it to null first.
    void free(uint32_t index)
    {
        uint64_t count = m_slots->getCount();
        if (index >= count)
            TAVRIN_THROW_AT(CInvalidArgumentException, "Cannot free an element outside array range\n", "Engine/IKernel/Types/CPool", 120);
        if (index == count - 1)
            m_slots->setCount(count - 1);
        else
            m_freeIndices->add(index);
    }

    uint32_t getSlotCount() const { return static_cast<uint32_t>(m_slots->getCount()); }
    uint32_t getFreeCount() const { return static_cast<uint32_t>(m_freeIndices->getCount()); }

private:
    CArray<T>* m_slots;
    CArray<uint32_t>* m_freeIndices;
};

} // namespace Engine
} // namespace Tavrin
