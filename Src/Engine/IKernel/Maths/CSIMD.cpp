#include "Engine/IKernel/Maths/CSIMD.h"

#include "Engine/IKernel/CException.h"

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

void CSIMD::checkAligned(const void* address)
{
    if (!isAligned(address))
        TAVRIN_THROW_AT(CInternalErrorException, "Address isn't aligned\n", "Engine/IKernel/Maths/CSIMD", 609);
}

__m128 CSIMD::load(const float* source)
{
    checkAligned(source);
    return _mm_load_ps(source);
}

void CSIMD::store(float* destination, __m128 value)
{
    checkAligned(destination);
    _mm_store_ps(destination, value);
}

void* CSIMD::allocateAligned(size_t size)
{
    // The C heap has no portable aligned allocation: over-allocate, and keep
    // the distance back to the real block just before the aligned address.
    unsigned char* raw = static_cast<unsigned char*>(malloc(size + 16 + sizeof(uint32_t)));
    if (!raw)
        return nullptr;
    uintptr_t first = reinterpret_cast<uintptr_t>(raw) + sizeof(uint32_t);
    uintptr_t aligned = (first + 15) & ~static_cast<uintptr_t>(15);
    uint32_t offset = static_cast<uint32_t>(aligned - reinterpret_cast<uintptr_t>(raw));
    memcpy(reinterpret_cast<unsigned char*>(aligned) - sizeof(uint32_t), &offset, sizeof(offset));
    return reinterpret_cast<void*>(aligned);
}

void CSIMD::freeAligned(void* block)
{
    if (!block)
        return;
    unsigned char* aligned = static_cast<unsigned char*>(block);
    uint32_t offset;
    memcpy(&offset, aligned - sizeof(uint32_t), sizeof(offset));
    free(aligned - offset);
}

} // namespace Engine
} // namespace Tavrin
