#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace Tavrin {
namespace Engine {

// Hash table from a 32-bit ID to a value, in the C heap. IDs are hashes
// already, so they are only spread over the slots. ID 0 marks a free slot and
// cannot be stored; entries are never removed one by one.
template <typename T>
class CIdTable
{
public:
    CIdTable() = default;
    ~CIdTable() { clear(); }
    CIdTable(const CIdTable&) = delete;
    CIdTable& operator=(const CIdTable&) = delete;

    T* find(uint32_t id)
    {
        if (id == 0 || m_count == 0)
            return nullptr;
        for (uint32_t slot = _home(id);; slot = (slot + 1) & (m_capacity - 1))
        {
            if (m_ids[slot] == id)
                return &m_values[slot];
            if (m_ids[slot] == 0)
                return nullptr;
        }
    }
    const T* find(uint32_t id) const { return const_cast<CIdTable*>(this)->find(id); }

    // The ID must not be present yet.
    T& insert(uint32_t id, T value)
    {
        // At most three quarters full, so that every probe ends at a free slot.
        if ((m_count + 1) * 4 > m_capacity * 3)
            _rehash(m_capacity ? m_capacity * 2 : 16);
        uint32_t slot = _home(id);
        while (m_ids[slot] != 0)
            slot = (slot + 1) & (m_capacity - 1);
        m_ids[slot] = id;
        new (&m_values[slot]) T(std::move(value));
        ++m_count;
        return m_values[slot];
    }

    void clear()
    {
        for (uint32_t slot = 0; slot < m_capacity; ++slot)
            if (m_ids[slot] != 0)
                m_values[slot].~T();
        free(m_ids);
        free(static_cast<void*>(m_values));
        m_ids = nullptr;
        m_values = nullptr;
        m_capacity = m_count = 0;
    }

    uint32_t getCount() const { return m_count; }

    // Calls visit(id, value) for every entry, in no particular order.
    template <typename F>
    void forEach(F visit)
    {
        for (uint32_t slot = 0; slot < m_capacity; ++slot)
            if (m_ids[slot] != 0)
                visit(m_ids[slot], m_values[slot]);
    }

private:
    uint32_t _home(uint32_t id) const { return (id * 0x9E3779B1u) >> (32 - m_shift); }

    void _rehash(uint32_t capacity)
    {
        uint32_t* oldIds = m_ids;
        T* oldValues = m_values;
        uint32_t oldCapacity = m_capacity;
        uint32_t* ids = static_cast<uint32_t*>(calloc(capacity, sizeof(uint32_t)));
        T* values = static_cast<T*>(malloc(capacity * sizeof(T)));
        if (!ids || !values)
        {
            // The table stays as it was.
            free(ids);
            free(static_cast<void*>(values));
            throw std::bad_alloc();
        }
        m_ids = ids;
        m_values = values;
        m_capacity = capacity;
        m_shift = 0;
        while ((1u << m_shift) < capacity)
            ++m_shift;
        m_count = 0;
        for (uint32_t slot = 0; slot < oldCapacity; ++slot)
        {
            if (oldIds[slot] == 0)
                continue;
            insert(oldIds[slot], std::move(oldValues[slot]));
            oldValues[slot].~T();
        }
        free(oldIds);
        free(static_cast<void*>(oldValues));
    }

    uint32_t* m_ids = nullptr;
    T* m_values = nullptr;
    uint32_t m_capacity = 0;
    uint32_t m_shift = 0;
    uint32_t m_count = 0;
};

} // namespace Engine
} // namespace Tavrin
