#pragma once

#include <atomic>
#include <cstdint>

namespace Tavrin {
namespace Engine {

// An atomic reference count. A new object holds one reference for its
// creator, who gives it up with release, never with a plain delete.
class CReferenced
{
public:
    CReferenced() : m_referenceCount(1) {}
    virtual ~CReferenced() = default;
    CReferenced(const CReferenced&) = delete;
    CReferenced& operator=(const CReferenced&) = delete;

    // Called once, just before the last release destroys the object.
    virtual void onLastRelease() {}
    // Returns the count before the increment.
    virtual uint32_t addRef();
    // The release that drops the count to zero destroys the object.
    virtual void release();

    uint32_t getReferenceCount() const { return m_referenceCount.load(); }

    // Adds a reference unless the count already reached zero (an object being
    // destroyed); lets tables that do not own their objects hand them out.
    bool _tryAddRef();

protected:
    // Decrements; true when this was the last reference.
    bool _dropReference();

private:
    std::atomic<uint32_t> m_referenceCount;
};

} // namespace Engine
} // namespace Tavrin
