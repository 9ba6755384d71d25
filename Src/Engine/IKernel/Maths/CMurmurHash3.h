#pragma once

#include "Engine/IKernel/Maths/CHashFunction.h"

#include <cstdint>
#include <cstring>

namespace Tavrin {
namespace Engine {

// MurmurHash3, x86 32-bit form, fed incrementally: any split of the input
// gives the hash of the concatenation. Everything is inline (the destructors
// too, so a local object never escapes): hashing through a local costs no call.
class CMurmurHash3 final : public CHashFunction
{
public:
    // The seed of every engine key (name IDs, resource locations).
    static constexpr uint32_t C_DEFAULT_SEED = 0x0BADF00D;

    explicit CMurmurHash3(uint32_t seed = C_DEFAULT_SEED) : m_seed(seed) { reset(); }
    ~CMurmurHash3() override = default;

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

    // Blocks are little-endian words. A plain copy (rather than assembling
    // bytes) keeps the state in registers when feed is inlined in a loop.
    static uint32_t _readBlock(const unsigned char* bytes)
    {
        static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "blocks are read as native words");
        uint32_t block;
        memcpy(&block, bytes, sizeof(block));
        return block;
    }
    // Fewer than four bytes: they fill the pending block byte by byte.
    void _feedShort(const unsigned char* bytes, uint32_t count, uint32_t used)
    {
        uint32_t tail = m_tail;
        for (; count; --count)
        {
            tail |= uint32_t(*bytes++) << (8 * used);
            if (++used == 4)
            {
                m_h = _mixBlock(m_h, tail);
                tail = 0;
                used = 0;
            }
        }
        m_tail = tail;
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
    if (count < 4)
    {
        _feedShort(bytes, count, used);
        return;
    }
    // At least one whole word is readable from here on, so the pending
    // block and the new tail are read as words, without byte loops. With no
    // pending bytes the tail is 0 and the first word is simply a block.
    const unsigned char* end = bytes + count;
    uint32_t h = _mixBlock(m_h, m_tail | _readBlock(bytes) << (8 * used));
    bytes += 4 - used;
    count -= 4 - used;
    for (; count >= 4; count -= 4, bytes += 4)
        h = _mixBlock(h, _readBlock(bytes));
    m_h = h;
    // A 64-bit shift by 32 gives the empty tail when nothing is left.
    m_tail = static_cast<uint32_t>(uint64_t(_readBlock(end - 4)) >> (32 - 8 * count));
}

} // namespace Engine
} // namespace Tavrin
