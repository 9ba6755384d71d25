#pragma once

#include <cstddef>
#include <cstdint>
#include <xmmintrin.h>

namespace Tavrin {
namespace Engine {

// Four single-precision lanes, laid out and aligned for the SSE registers.
struct alignas(16) SVector4
{
    float lane[4];
};

// Helpers shared by the engine's four-lane code paths.
class CSIMD
{
public:
    // Throws CInternalErrorException unless the address is 16-byte aligned.
    static void checkAligned(const void* address);
    static bool isAligned(const void* address) { return (reinterpret_cast<uintptr_t>(address) & 15) == 0; }

    // Aligned load and store, checked.
    static __m128 load(const float* source);
    static void store(float* destination, __m128 value);
    static __m128 load(const SVector4& source) { return _mm_load_ps(source.lane); }
    static void store(SVector4& destination, __m128 value) { _mm_store_ps(destination.lane, value); }

    // 16-byte aligned block from the C heap; release it with freeAligned.
    static void* allocateAligned(size_t size);
    static void freeAligned(void* block);
};

} // namespace Engine
} // namespace Tavrin
