#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstddef>
#include <cstdint>

namespace Tavrin {
namespace Engine {

// One display adapter as the system describes it.
class CDisplayAdapterInfo
{
public:
    static constexpr uint32_t C_TYPE_GPU = 0;
    static constexpr uint32_t C_TYPE_REMOTE = 1;
    static constexpr uint32_t C_TYPE_SOFTWARE = 2;

    // The type that an adapter's description flags stand for; unknown flags are GPU.
    static uint32_t typeFromFlags(uint32_t flags)
    {
        return flags == C_TYPE_REMOTE || flags == C_TYPE_SOFTWARE ? flags : C_TYPE_GPU;
    }

    // Description in UTF-8.
    CString description;
    uint32_t vendorId = 0;
    uint32_t deviceId = 0;
    uint32_t subSysId = 0;
    uint32_t revision = 0;
    size_t dedicatedVideoMemory = 0;
    size_t dedicatedSystemMemory = 0;
    size_t sharedSystemMemory = 0;
    // Locally unique identifier of the adapter.
    int64_t adapterId = 0;
    uint32_t type = C_TYPE_GPU;
};

} // namespace Engine
} // namespace Tavrin
