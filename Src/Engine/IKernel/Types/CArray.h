#pragma once

#include "Engine/IKernel/CException.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace Tavrin {
namespace Engine {

// Growable array in the C heap. Elements are moved bytewise when the buffer
// grows, so T must tolerate a byte copy (plain records, pointers, CString,
// smart pointers). Capacity starts at 1, doubles, and never shrinks.
template <typename T>
class CArray
{
public:
    static constexpr uint64_t C_NOT_FOUND = ~uint64_t(0);

    CArray() = default;
    explicit CArray(uint64_t count);
    CArray(const CArray& other);
    CArray& operator=(const CArray& other);
    virtual ~CArray();

    uint64_t add(const T& element);
    void setCount(uint64_t count);
    void removeAt(uint64_t index);
    void clear();
    // Index of the first element equal to the value, or C_NOT_FOUND.
    uint64_t indexOf(const T& value) const;

    T& operator[](uint64_t index) { return m_data[index]; }
    const T& operator[](uint64_t index) const { return m_data[index]; }
    T& at(uint64_t index);
    const T& at(uint64_t index) const;

    uint64_t getCount() const { return m_count; }
    uint64_t getCapacity() const { return m_capacity; }
    T* getData() { return m_data; }
    const T* getData() const { return m_data; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_count; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_count; }

private:
    void _grow(uint64_t wanted);
    void _destroyAll();
    [[noreturn]] static void _throwOutOfRange();

    T* m_data = nullptr;
    uint64_t m_count = 0;
    uint64_t m_capacity = 0;
};

template <typename T>
CArray<T>::CArray(uint64_t count)
{
    if (count == 0)
        return;
    // An exactly sized buffer, not a doubled one.
    m_data = static_cast<T*>(malloc(count * sizeof(T)));
    m_capacity = count;
    for (uint64_t i = 0; i < count; ++i)
        new (&m_data[i]) T();
    m_count = count;
}

template <typename T>
CArray<T>::CArray(const CArray& other)
{
    if (other.m_count == 0)
        return;
    m_data = static_cast<T*>(malloc(other.m_count * sizeof(T)));
    m_capacity = other.m_count;
    if (std::is_trivially_copyable<T>::value)
        memcpy(static_cast<void*>(m_data), other.m_data, other.m_count * sizeof(T));
    else
        for (uint64_t i = 0; i < other.m_count; ++i)
            new (&m_data[i]) T(other.m_data[i]);
    m_count = other.m_count;
}

template <typename T>
CArray<T>& CArray<T>::operator=(const CArray& other)
{
    if (this != &other)
    {
        CArray copy(other);
        _destroyAll();
        free(static_cast<void*>(m_data));
        m_data = copy.m_data;
        m_count = copy.m_count;
        m_capacity = copy.m_capacity;
        copy.m_data = nullptr;
        copy.m_count = copy.m_capacity = 0;
    }
    return *this;
}

template <typename T>
CArray<T>::~CArray()
{
    _destroyAll();
    free(static_cast<void*>(m_data));
    m_data = nullptr;
    m_count = 0;
    m_capacity = 0;
}

template <typename T>
void CArray<T>::_grow(uint64_t wanted)
{
    if (m_capacity >= wanted)
        return;
    uint64_t capacity = m_capacity;
    while (capacity < wanted)
        capacity = capacity ? capacity * 2 : 1;
    m_data = static_cast<T*>(realloc(static_cast<void*>(m_data), capacity * sizeof(T)));
    m_capacity = capacity;
}

template <typename T>
void CArray<T>::_destroyAll()
{
    for (uint64_t i = 0; i < m_count; ++i)
        m_data[i].~T();
}

template <typename T>
uint64_t CArray<T>::add(const T& element)
{
    if (m_count == m_capacity)
    {
        // The element may live in our own buffer, which growing would move.
        if (&element >= m_data && &element < m_data + m_count)
        {
            T copy(element);
            _grow(m_count + 1);
            new (&m_data[m_count]) T(copy);
            return m_count++;
        }
        _grow(m_count + 1);
    }
    new (&m_data[m_count]) T(element);
    return m_count++;
}

template <typename T>
void CArray<T>::setCount(uint64_t count)
{
    _grow(count);
    m_count = count;
}

template <typename T>
void CArray<T>::removeAt(uint64_t index)
{
    if (index == C_NOT_FOUND || index >= m_count)
        return;
    for (uint64_t i = index; i + 1 < m_count; ++i)
        m_data[i] = m_data[i + 1];
    m_data[m_count - 1].~T();
    --m_count;
}

template <typename T>
void CArray<T>::clear()
{
    _destroyAll();
    m_count = 0;
}

template <typename T>
uint64_t CArray<T>::indexOf(const T& value) const
{
    for (uint64_t i = 0; i < m_count; ++i)
        if (m_data[i] == value)
            return i;
    return C_NOT_FOUND;
}

template <typename T>
void CArray<T>::_throwOutOfRange()
{
    TAVRIN_THROW_AT(CInvalidArgumentException, "Accessing array element outside range\n", "Engine/IKernel/Types/CArray", 1014);
}

template <typename T>
T& CArray<T>::at(uint64_t index)
{
    if (index >= m_count)
        _throwOutOfRange();
    return m_data[index];
}

template <typename T>
const T& CArray<T>::at(uint64_t index) const
{
    if (index >= m_count)
        _throwOutOfRange();
    return m_data[index];
}

} // namespace Engine
} // namespace Tavrin
