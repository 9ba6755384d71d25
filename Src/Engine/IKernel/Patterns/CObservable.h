#pragma once

#include "Engine/IKernel/Patterns/CObserver.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A subject forwarding events to its observers, in registration order. The
// observers are not owned.
class CObservable
{
public:
    CObservable() = default;
    CObservable(const CObservable&) = delete;
    CObservable& operator=(const CObservable&) = delete;
    virtual ~CObservable();

    // Observers may add or remove observers while being notified.
    virtual void notify(uint64_t event);

    void addObserver(CObserver* observer);
    void removeObserver(CObserver* observer);
    uint32_t getObserverCount() const;

private:
    CArray<CObserver*>* m_observers = nullptr;
};

} // namespace Engine
} // namespace Tavrin
