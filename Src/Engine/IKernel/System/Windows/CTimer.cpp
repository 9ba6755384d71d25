#include "Engine/IKernel/System/CTimer.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

uint64_t CTimer::readCounter()
{
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return static_cast<uint64_t>(value.QuadPart);
}

uint64_t CTimer::getCounterFrequency()
{
    static const uint64_t frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<uint64_t>(value.QuadPart);
    }();
    return frequency;
}

uint32_t CTimer::getTickCount()
{
    return GetTickCount();
}

void CTimer::sleepMilliseconds(uint32_t milliseconds)
{
    Sleep(milliseconds);
}

} // namespace Engine
} // namespace Tavrin
