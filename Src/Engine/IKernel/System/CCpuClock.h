#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A time-stamp counter reading paired with a high-resolution counter reading.
struct SCpuClockSample
{
    uint64_t cycles;
    uint64_t counter;
};

// Measures the processor's clock (time-stamp cycles per microsecond) against
// the high-resolution counter. The process's figure is measured once, from a
// sample taken at static initialisation, so its interval has mostly passed
// by the time the log header asks for it; with a cache file named, a figure
// measured earlier in the same boot is taken instead.
class CCpuClock
{
public:
    // The shortest interval a measure spans.
    // Paired readings are a few hundred ns apart at worst: 10 ms gives the
    // MHz figure to a few parts per million.
    static constexpr uint32_t C_MEASURE_MILLISECONDS = 10;

    // The two counters read back to back (the tightest of a few tries).
    static SCpuClockSample sample();
    // Raw MHz from `start` to `end`, truncated (after a 0.001 MHz allowance
    // for jitter); 0 when no time passed.
    static uint32_t rawMhzBetween(const SCpuClockSample& start, const SCpuClockSample& end);
    // Waits until at least `milliseconds` have passed since `start`, then
    // gives the raw MHz up to now.
    static uint32_t measureRawMhzSince(const SCpuClockSample& start, uint32_t milliseconds);
    // The half-second form the figure was once taken with: whole elapsed
    // milliseconds (truncated), unpaired readings. Kept as the reference.
    static uint32_t measureRawMhzOverWholeMilliseconds(uint32_t milliseconds);
    // Raw MHz of this process: measured (or read from the cache file) at the
    // first call, then remembered.
    static uint32_t getProcessRawMhz();
    // Where the process's figure is kept between processes; empty for none.
    // Counts only before the first getProcessRawMhz.
    static void setCacheFile(const char* path);
};

} // namespace Engine
} // namespace Tavrin
