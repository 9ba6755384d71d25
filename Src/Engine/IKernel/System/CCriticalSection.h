#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Re-entrant mutex (a critical section). Usable from static initialisation on.
class CCriticalSection
{
public:
    CCriticalSection();
    ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void enter();
    void leave();

    // The platform object, for primitives that wait on it.
    void* getNative() { return m_storage; }

private:
    // Opaque room for the platform object; the platform file checks the size.
    alignas(8) unsigned char m_storage[64];
};

// Holds a critical section for a scope.
class CCriticalSectionLock
{
public:
    explicit CCriticalSectionLock(CCriticalSection& section) : m_section(section) { m_section.enter(); }
    ~CCriticalSectionLock() { m_section.leave(); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CCriticalSection& m_section;
};

} // namespace Engine
} // namespace Tavrin
