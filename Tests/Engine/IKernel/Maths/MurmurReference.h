#pragma once

#include <cstdint>

// A plain one-shot MurmurHash3_x86_32, written apart from the engine's
// incremental form so that the two check each other.
inline uint32_t murmurRotate(uint32_t x, int r)
{
    return (x << r) | (x >> (32 - r));
}

inline uint32_t murmurFinalMix(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x85ebca6b;
    h ^= h >> 13;
    h *= 0xc2b2ae35;
    h ^= h >> 16;
    return h;
}

inline uint32_t murmurReference(const void* key, uint32_t length, uint32_t seed)
{
    const auto* data = static_cast<const uint8_t*>(key);
    const uint32_t blockCount = length / 4;
    const uint32_t c1 = 0xcc9e2d51;
    const uint32_t c2 = 0x1b873593;
    uint32_t h1 = seed;
    for (uint32_t i = 0; i < blockCount; ++i)
    {
        uint32_t k1 = 0;
        for (int b = 3; b >= 0; --b)
            k1 = (k1 << 8) | data[i * 4 + b];
        k1 *= c1;
        k1 = murmurRotate(k1, 15);
        k1 *= c2;
        h1 ^= k1;
        h1 = murmurRotate(h1, 13);
        h1 = h1 * 5 + 0xe6546b64;
    }
    const uint8_t* tail = data + blockCount * 4;
    uint32_t k1 = 0;
    switch (length & 3)
    {
    case 3:
        k1 ^= uint32_t(tail[2]) << 16;
        [[fallthrough]];
    case 2:
        k1 ^= uint32_t(tail[1]) << 8;
        [[fallthrough]];
    case 1:
        k1 ^= tail[0];
        k1 *= c1;
        k1 = murmurRotate(k1, 15);
        k1 *= c2;
        h1 ^= k1;
        break;
    default:
        break;
    }
    h1 ^= length;
    return murmurFinalMix(h1);
}
