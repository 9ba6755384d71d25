#include "Engine/IKernel/System/CTimer.h"

namespace Tavrin {
namespace Engine {

double CTimer::secondsBetween(uint64_t start, uint64_t end)
{
    return static_cast<double>(end - start) / static_cast<double>(getCounterFrequency());
}

} // namespace Engine
} // namespace Tavrin
