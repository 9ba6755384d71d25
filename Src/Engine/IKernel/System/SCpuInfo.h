#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// What CPUID and the speed measurement tell about the processor.
struct SCpuInfo
{
    // Non-zero once identified; identifying again does nothing.
    int32_t identified;
    // Feature register of the leaf chosen per vendor.
    uint32_t features;
    // Clock speed in MHz, rounded; 0 when not measured.
    uint32_t speed;
    float counterFrequency;
    float secondsPerCycle;
    uint32_t highestStandardLeaf;
    char vendor[32];
    char reserved[32];
    // Model name (older Intel processors) or brand text (AMD).
    char name[256];
    int32_t type;
    int32_t family;
    int32_t model;
    int32_t stepping;
    int32_t extendedFamily;
};

} // namespace Engine
} // namespace Tavrin
