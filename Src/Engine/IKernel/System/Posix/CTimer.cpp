#include "Engine/IKernel/System/CTimer.h"

#include <ctime>

namespace Tavrin {
namespace Engine {

namespace {

uint64_t nanoseconds(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

} // namespace

uint64_t CTimer::readCounter()
{
    return nanoseconds(CLOCK_MONOTONIC);
}

uint64_t CTimer::getCounterFrequency()
{
    return 1000000000ull;
}

uint32_t CTimer::getTickCount()
{
    return static_cast<uint32_t>(nanoseconds(CLOCK_MONOTONIC) / 1000000ull);
}

void CTimer::sleepMilliseconds(uint32_t milliseconds)
{
    timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0)
    {
    }
}

} // namespace Engine
} // namespace Tavrin
