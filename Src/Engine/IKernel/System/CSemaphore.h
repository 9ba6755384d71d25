#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Counting semaphore with a maximum count; failures throw.
class CSemaphore
{
public:
    // Throws when the semaphore cannot be created, unless `throwOnFailure`
    // is false: the failure is then only logged, and every lock and unlock
    // of the invalid object throws.
    CSemaphore(uint32_t initialCount, uint32_t maximumCount, bool throwOnFailure = true);
    ~CSemaphore();
    CSemaphore(const CSemaphore&) = delete;
    CSemaphore& operator=(const CSemaphore&) = delete;

    // Waits without time limit for a count above zero and takes one.
    void lock();
    // Gives one back; going above the maximum count throws.
    void unlock();

    bool isValid() const { return m_handle != nullptr; }

private:
    void* m_handle;
};

} // namespace Engine
} // namespace Tavrin
