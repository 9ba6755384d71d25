#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A 32-bit hash that can be fed in pieces. Hash objects are cheap locals of
// the function that hashes; nothing here is reference counted.
class CHashFunction
{
public:
    virtual ~CHashFunction();

    // True when feeding in pieces gives the same hash as one call.
    virtual bool isIncremental() const = 0;
    // The hash of everything fed since the last reset; the state is kept.
    virtual uint32_t finish() const = 0;
    // Resets, feeds the bytes and finishes.
    virtual uint32_t hash(const void* data, uint32_t count);
    // Continues the hash with more bytes.
    virtual void feed(const void* data, uint32_t count) = 0;
    virtual void reset() = 0;
};

} // namespace Engine
} // namespace Tavrin
