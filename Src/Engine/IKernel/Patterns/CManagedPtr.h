#pragma once

#include <cstddef>
#include <utility>

namespace Tavrin {
namespace Engine {

// Holds one reference to a CReferenced (or CManaged) object. Its only field is
// the pointer, so arrays may move it bytewise.
template <typename T>
class CManagedPtr
{
public:
    CManagedPtr() = default;
    CManagedPtr(std::nullptr_t) {}
    // Adds a reference; use adopt to take over one the caller already holds.
    explicit CManagedPtr(T* object) : m_object(object)
    {
        if (m_object)
            m_object->addRef();
    }
    CManagedPtr(const CManagedPtr& other) : CManagedPtr(other.m_object) {}
    template <typename U>
    CManagedPtr(const CManagedPtr<U>& other) : CManagedPtr(other.get()) {}
    CManagedPtr(CManagedPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    template <typename U>
    CManagedPtr(CManagedPtr<U>&& other) noexcept : m_object(other.detach()) {}
    ~CManagedPtr()
    {
        if (m_object)
            m_object->release();
    }

    CManagedPtr& operator=(const CManagedPtr& other)
    {
        if (this != &other)
            _replace(other.m_object);
        return *this;
    }
    CManagedPtr& operator=(CManagedPtr&& other) noexcept
    {
        if (this != &other)
        {
            T* old = m_object;
            m_object = other.m_object;
            other.m_object = nullptr;
            if (old)
                old->release();
        }
        return *this;
    }
    CManagedPtr& operator=(std::nullptr_t)
    {
        reset();
        return *this;
    }

    // Takes over a reference the caller holds (typically the creation one).
    static CManagedPtr adopt(T* object)
    {
        CManagedPtr pointer;
        pointer.m_object = object;
        return pointer;
    }
    // Gives the reference up to the caller without releasing it.
    T* detach()
    {
        T* object = m_object;
        m_object = nullptr;
        return object;
    }
    void reset() { _replace(nullptr); }
    void reset(T* object) { _replace(object); }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    template <typename U>
    bool operator==(const CManagedPtr<U>& other) const { return m_object == other.get(); }
    template <typename U>
    bool operator!=(const CManagedPtr<U>& other) const { return m_object != other.get(); }
    bool operator==(const T* object) const { return m_object == object; }
    bool operator!=(const T* object) const { return m_object != object; }
    bool operator==(std::nullptr_t) const { return m_object == nullptr; }
    bool operator!=(std::nullptr_t) const { return m_object != nullptr; }

private:
    // The new pointee gains its reference before the old one may be destroyed,
    // in case the old one owns the new one.
    void _replace(T* object)
    {
        if (object)
            object->addRef();
        T* old = m_object;
        m_object = object;
        if (old)
            old->release();
    }

    T* m_object = nullptr;
};

} // namespace Engine
} // namespace Tavrin
