#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CObservable;

// Receives the events an observable forwards.
class CObserver
{
public:
    virtual void onNotify(CObservable* source, uint64_t event) = 0;
    virtual ~CObserver() = default;
};

} // namespace Engine
} // namespace Tavrin
