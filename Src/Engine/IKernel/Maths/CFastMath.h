#pragma once

#include <cstdint>
#include <cstring>
#include <emmintrin.h>

namespace Tavrin {
namespace Engine {

// Conversions that skip the C runtime's rounding-mode switches by using the
// SSE conversion instructions directly.
class CFastMath
{
public:
    // Truncation toward 0.
    static int32_t floatToInt(float value) { return _mm_cvtt_ss2si(_mm_set_ss(value)); }
    static int32_t doubleToInt(double value) { return _mm_cvttsd_si32(_mm_set_sd(value)); }
    // Nearest integer under the current rounding mode (ties to even by default).
    static int32_t floatToNearestInt(float value) { return _mm_cvt_ss2si(_mm_set_ss(value)); }
    static int32_t doubleToNearestInt(double value) { return _mm_cvtsd_si32(_mm_set_sd(value)); }
    // Nearest integer of (x - 0.5): the floor except at exact integers.
    static int32_t floor(float value) { return floatToNearestInt(value - 0.5f); }
    // The power of two above the highest set bit: exact powers give the next one.
    static uint32_t nextPowerOfTwo(uint32_t value)
    {
        uint32_t highest = 0;
        while (highest < 31 && (value >> (highest + 1)))
            ++highest;
        return highest == 31 ? 0 : 1u << (highest + 1); // no 33rd bit: 0

    }
    // Adding 1.5 * 2^23 puts the integer part into the low mantissa bits.
    static uint8_t floatToByte(float value)
    {
        float shifted = value + 12582912.0f;
        uint32_t bits;
        memcpy(&bits, &shifted, sizeof(bits));
        return static_cast<uint8_t>(bits & 0xFF);
    }
};

} // namespace Engine
} // namespace Tavrin
