#pragma once

#include "Engine/IInput/Linux/CSdlLibrary.h"

#include <cstdint>
#include <memory>

namespace Tavrin {
namespace Engine {

// A hold on SDL subsystems taken at their first use instead of at
// construction: a program that opens its window or reads its devices late
// does not start them (tens of ms each) before its first window. A failed
// start is logged once and not tried again.
class CSdlOnDemand
{
public:
    // `unavailable`: the warning logged after SDL's reason when they cannot start.
    CSdlOnDemand(uint32_t subsystems, const char* unavailable) : m_subsystems(subsystems), m_unavailable(unavailable) {}

    // Starts the subsystems the first time; true while they are running.
    bool acquire();
    bool isStarted() const { return m_library != nullptr; }
    // False once a start failed.
    bool isUsable() const { return !m_failed; }

private:
    uint32_t m_subsystems;
    const char* m_unavailable;
    std::unique_ptr<CSdlLibrary> m_library;
    bool m_failed = false;
};

} // namespace Engine
} // namespace Tavrin
