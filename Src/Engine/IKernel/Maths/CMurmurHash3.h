#pragma once

#include "Engine/IKernel/Maths/CHashFunction.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// MurmurHash3, x86 32-bit form, fed incrementally: any split of the input
// gives the hash of the concatenation. feed and finish are inline so that
// hashing short keys through a local object costs no call.
class CMurmurHash3 final : public CHashFunction
{
public:
    // The seed of every engine key (name IDs, resource locations).
    static constexpr uint32_t C_DEFAULT_SEED = 0x0BADF00D;

    explicit CMurmurHash3(uint32_t seed = C_DEFAULT_SEED) : m_seed(seed) { reset(); }
    ~CMurmurHash3() override;

    bool isIncremental() const override;
    uint32_t finish() const override;
    void feed(const void* data, uint32_t count) override;
    void reset() override
    {
        m_h = m_seed;
        m_tail = 0;
        m_length = 0;
    }

    uint32_t getSeed() const { return m_seed; }

private:
    static uint32_t _scramble(uint32_t k)
    {
        k *= 0xcc9e2d51u;
        k = (k << 15) | (k >> 17);
        return k * 0x1b873593u;
    }
    static uint32_t _mixBlock(uint32_t h, uint32_t k)
    {
        h ^= _scramble(k);
        h = (h << 13) | (h >> 19);
        return h * 5 + 0xe6546b64u;
    }
    static uint32_t _finalMix(uint32_t h)
    {
        h ^= h >> 16;
        h *= 0x85ebca6bu;
        h ^= h >> 13;
        h *= 0xc2b2ae35u;
        return h ^ (h >> 16);
    }

    // Compilers turn this into one load on little-endian targets.
    static uint32_t _readBlock(const unsigned char* bytes)
    {
        return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    }

    uint32_t m_h = 0;
    // Tail byte i is bits 8i..8i+7 (the same bytes in memory on x86); bytes
    // beyond length mod 4 are kept zero.
    uint32_t m_tail = 0;
    uint32_t m_length = 0;
    uint32_t m_seed;
};

inline bool CMurmurHash3::isIncremental() const
{
    return true;
}

inline uint32_t CMurmurHash3::finish() const
{
    uint32_t h = m_h;
    if (m_length & 3)
        h ^= _scramble(m_tail);
    return _finalMix(h ^ m_length);
}

inline void CMurmurHash3::feed(const void* data, uint32_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t used = m_length & 3;
    m_length += count;
    uint32_t h = m_h;
    uint32_t tail = m_tail;
    if (used)
    {
        // Complete the pending block first.
        while (used < 4 && count)
        {
            tail |= uint32_t(*bytes++) << (8 * used++);
            --count;
        }
        if (used < 4)
        {
            m_tail = tail;
            return;
        }
        h = _mixBlock(h, tail);
        tail = 0;
    }
    for (; count >= 4; count -= 4, bytes += 4)
        h = _mixBlock(h, _readBlock(bytes));
    switch (count)
    {
    case 3:
        tail |= uint32_t(bytes[2]) << 16;
        [[fallthrough]];
    case 2:
        tail |= uint32_t(bytes[1]) << 8;
        [[fallthrough]];
    case 1:
        tail |= bytes[0];
        break;
    default:
        break;
    }
    m_h = h;
    m_tail = tail;
}

} // namespace Engine
} // namespace Tavrin
