#include "Engine/IKernel/Maths/CMurmurHash3.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

using namespace Tavrin::Engine;

namespace {

const uint32_t megabyte = 1 << 20;

// Baseline: the plain one-shot MurmurHash3_x86_32.
uint32_t rotate(uint32_t x, int r)
{
    return (x << r) | (x >> (32 - r));
}

uint32_t plainMurmur3(const void* key, uint32_t length, uint32_t seed)
{
    const auto* data = static_cast<const uint8_t*>(key);
    const uint32_t blockCount = length / 4;
    const uint32_t c1 = 0xcc9e2d51;
    const uint32_t c2 = 0x1b873593;
    uint32_t h1 = seed;
    for (uint32_t i = 0; i < blockCount; ++i)
    {
        uint32_t k1;
        memcpy(&k1, data + i * 4, 4);
        k1 *= c1;
        k1 = rotate(k1, 15);
        k1 *= c2;
        h1 ^= k1;
        h1 = rotate(h1, 13);
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
        k1 = rotate(k1, 15);
        k1 *= c2;
        h1 ^= k1;
        break;
    default:
        break;
    }
    h1 ^= length;
    h1 ^= h1 >> 16;
    h1 *= 0x85ebca6b;
    h1 ^= h1 >> 13;
    h1 *= 0xc2b2ae35;
    h1 ^= h1 >> 16;
    return h1;
}

const std::vector<unsigned char>& input()
{
    static std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> filled(megabyte);
        for (uint32_t i = 0; i < megabyte; ++i)
            filled[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
        return filled;
    }();
    return bytes;
}

void BM_PlainMurmur3OneShot(benchmark::State& state)
{
    const std::vector<unsigned char>& bytes = input();
    for (auto _ : state)
        benchmark::DoNotOptimize(plainMurmur3(bytes.data(), megabyte, CMurmurHash3::C_DEFAULT_SEED));
    state.SetBytesProcessed(int64_t(state.iterations()) * megabyte);
}
BENCHMARK(BM_PlainMurmur3OneShot);

void BM_CMurmurHash3OnePiece(benchmark::State& state)
{
    const std::vector<unsigned char>& bytes = input();
    CMurmurHash3 hash;
    for (auto _ : state)
    {
        hash.reset();
        hash.feed(bytes.data(), megabyte);
        benchmark::DoNotOptimize(hash.finish());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * megabyte);
}
BENCHMARK(BM_CMurmurHash3OnePiece);

// The one-shot entry of the interface, called through the base.
void BM_CMurmurHash3OneShotVirtual(benchmark::State& state)
{
    const std::vector<unsigned char>& bytes = input();
    CMurmurHash3 murmur;
    CHashFunction& hash = murmur;
    benchmark::DoNotOptimize(&hash);
    for (auto _ : state)
        benchmark::DoNotOptimize(hash.hash(bytes.data(), megabyte));
    state.SetBytesProcessed(int64_t(state.iterations()) * megabyte);
}
BENCHMARK(BM_CMurmurHash3OneShotVirtual);

void BM_CMurmurHash3SevenBytePieces(benchmark::State& state)
{
    const std::vector<unsigned char>& bytes = input();
    for (auto _ : state)
    {
        CMurmurHash3 hash;
        const unsigned char* piece = bytes.data();
        uint32_t remaining = megabyte;
        for (; remaining >= 7; remaining -= 7, piece += 7)
            hash.feed(piece, 7);
        hash.feed(piece, remaining);
        benchmark::DoNotOptimize(hash.finish());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * megabyte);
}
BENCHMARK(BM_CMurmurHash3SevenBytePieces);

} // namespace
