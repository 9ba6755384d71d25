#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Monotonic high-resolution counter and the system's coarse clocks.
class CTimer
{
public:
    static uint64_t readCounter();
    static uint64_t getCounterFrequency();
    // Milliseconds since some fixed point, wrapping at 32 bits.
    static uint32_t getTickCount();
    static void sleepMilliseconds(uint32_t milliseconds);
    // Seconds between two counter readings.
    static double secondsBetween(uint64_t start, uint64_t end);
};

} // namespace Engine
} // namespace Tavrin
