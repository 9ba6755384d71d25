#include "Engine/IKernel/Maths/CMurmurHash3.h"

#include "Engine/IKernel/Maths/MurmurReference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

struct SKnownAnswer
{
    const char* bytes;
    uint32_t length;
    uint32_t seed;
    uint32_t expected;
};

// Published MurmurHash3_x86_32 answers.
const SKnownAnswer knownAnswers[] = {
    {"", 0, 0, 0},
    {"", 0, 1, 0x514E28B7},
    {"", 0, 0xffffffff, 0x81F16F39},
    {"\0\0\0\0", 4, 0, 0x2362F9DE},
    {"\0\0\0", 3, 0, 0x85F0B427},
    {"\0\0", 2, 0, 0x30F4C306},
    {"\0", 1, 0, 0x514E28B7},
    {"\xff\xff\xff\xff", 4, 0, 0x76293B50},
    {"\x21\x43\x65\x87", 4, 0, 0xF55B516B},
    {"\x21\x43\x65\x87", 4, 0x5082EDEE, 0x2362F9DE},
    {"\x21\x43\x65", 3, 0, 0x7E4A8634},
    {"\x21\x43", 2, 0, 0xA0F7B07A},
    {"\x21", 1, 0, 0x72661CF4},
    {"hello", 5, 0, 0x248BFA47},
    {"abc", 3, 0, 0xB3DD93FA},
    {"aaaa", 4, 0x9747b28c, 0x5A97808A},
    {"aaa", 3, 0x9747b28c, 0x283E0130},
    {"aa", 2, 0x9747b28c, 0x5D211726},
    {"a", 1, 0x9747b28c, 0x7FA09EA6},
    {"abcd", 4, 0x9747b28c, 0xF0478627},
    {"abc", 3, 0x9747b28c, 0xC84A62DD},
    {"ab", 2, 0x9747b28c, 0x74875592},
    {"Hello, world!", 13, 0x9747b28c, 0x24884CBA},
    {"\xcf\x80\xcf\x80\xcf\x80\xcf\x80\xcf\x80\xcf\x80\xcf\x80\xcf\x80", 16, 0x9747b28c, 0xD58063C1},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 56, 0, 0xEE925B90},
    {"The quick brown fox jumps over the lazy dog", 43, 0x9747b28c, 0x2FA826CD},
};

// Deterministic bytes over the whole 0-255 range.
std::vector<unsigned char> sampleBytes(size_t count, uint32_t salt)
{
    std::vector<unsigned char> bytes(count);
    uint32_t state = 0x12345678u ^ salt;
    for (auto& byte : bytes)
    {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

uint32_t feedInPieces(uint32_t seed, const unsigned char* bytes, const std::vector<uint32_t>& pieces)
{
    CMurmurHash3 hash(seed);
    for (uint32_t piece : pieces)
    {
        hash.feed(bytes, piece);
        bytes += piece;
    }
    return hash.finish();
}

const uint32_t sampleSeeds[] = {0, 1, CMurmurHash3::C_DEFAULT_SEED, 0xffffffffu};

} // namespace

TEST(CMurmurHash3, ReferenceGivesPublishedAnswers)
{
    for (const SKnownAnswer& answer : knownAnswers)
        EXPECT_EQ(murmurReference(answer.bytes, answer.length, answer.seed), answer.expected)
            << "\"" << answer.bytes << "\" seed " << answer.seed;
    // 256 'a's crosses many blocks.
    std::string as(256, 'a');
    EXPECT_EQ(murmurReference(as.data(), 256, 0x9747b28c), 0x37405BDCu);
}

TEST(CMurmurHash3, GivesPublishedAnswersInOneShotAndByteByByte)
{
    for (const SKnownAnswer& answer : knownAnswers)
    {
        CMurmurHash3 hash(answer.seed);
        EXPECT_EQ(hash.hash(answer.bytes, answer.length), answer.expected) << answer.bytes;
        hash.reset();
        for (uint32_t i = 0; i < answer.length; ++i)
            hash.feed(answer.bytes + i, 1);
        EXPECT_EQ(hash.finish(), answer.expected) << answer.bytes;
    }
}

TEST(CMurmurHash3, EveryTwoAndThreePieceSplitMatchesTheReference)
{
    for (uint32_t length = 0; length <= 20; ++length)
    {
        std::vector<unsigned char> bytes = sampleBytes(length, length);
        for (uint32_t seed : sampleSeeds)
        {
            uint32_t expected = murmurReference(bytes.data(), length, seed);
            for (uint32_t first = 0; first <= length; ++first)
            {
                ASSERT_EQ(feedInPieces(seed, bytes.data(), {first, length - first}), expected)
                    << "length " << length << " split " << first;
                for (uint32_t second = 0; first + second <= length; ++second)
                    ASSERT_EQ(feedInPieces(seed, bytes.data(), {first, second, length - first - second}), expected)
                        << "length " << length << " split " << first << "+" << second;
            }
        }
    }
}

TEST(CMurmurHash3, ManySmallPiecesOverALongInput)
{
    std::vector<unsigned char> bytes = sampleBytes(4099, 7);
    uint32_t expected = murmurReference(bytes.data(), static_cast<uint32_t>(bytes.size()), CMurmurHash3::C_DEFAULT_SEED);
    for (uint32_t pieceSize = 1; pieceSize <= 9; ++pieceSize)
    {
        CMurmurHash3 hash;
        for (size_t offset = 0; offset < bytes.size(); offset += pieceSize)
        {
            size_t piece = bytes.size() - offset < pieceSize ? bytes.size() - offset : pieceSize;
            hash.feed(bytes.data() + offset, static_cast<uint32_t>(piece));
        }
        EXPECT_EQ(hash.finish(), expected) << "pieces of " << pieceSize;
    }
}

TEST(CMurmurHash3, ThreeBytesAtOnceOrOneByOne)
{
    CMurmurHash3 whole, single;
    whole.feed("xyz", 3);
    single.feed("x", 1);
    single.feed("y", 1);
    single.feed("z", 1);
    EXPECT_EQ(whole.finish(), single.finish());
    EXPECT_EQ(whole.finish(), murmurReference("xyz", 3, CMurmurHash3::C_DEFAULT_SEED));
}

TEST(CMurmurHash3, FiveBytesAsThreeAndTwoCrossTheTail)
{
    CMurmurHash3 hash;
    hash.feed("abc", 3);
    hash.feed("de", 2);
    EXPECT_EQ(hash.finish(), murmurReference("abcde", 5, CMurmurHash3::C_DEFAULT_SEED));
}

TEST(CMurmurHash3, FinishKeepsTheStateAndResetRestoresTheSeed)
{
    CMurmurHash3 hash(42);
    hash.feed("abcde", 5);
    uint32_t first = hash.finish();
    EXPECT_EQ(hash.finish(), first);
    hash.feed("fgh", 3);
    EXPECT_EQ(hash.finish(), murmurReference("abcdefgh", 8, 42));
    hash.reset();
    EXPECT_EQ(hash.finish(), murmurReference("", 0, 42));
    hash.feed("ab", 2);
    EXPECT_EQ(hash.finish(), murmurReference("ab", 2, 42));
}

TEST(CMurmurHash3, OneShotThroughTheBaseResetsFirst)
{
    CMurmurHash3 murmur;
    CHashFunction& hash = murmur;
    EXPECT_TRUE(hash.isIncremental());
    hash.feed("left over", 9);
    EXPECT_EQ(hash.hash("hello", 5), murmurReference("hello", 5, 0x0BADF00D));
    // The one-shot result is also the state.
    EXPECT_EQ(hash.finish(), murmurReference("hello", 5, 0x0BADF00D));
    EXPECT_EQ(murmur.getSeed(), 0x0BADF00Du);
}

TEST(CMurmurHash3, ZeroBytesAndNullData)
{
    CMurmurHash3 hash;
    hash.feed(nullptr, 0);
    hash.feed("a", 1);
    hash.feed(nullptr, 0);
    EXPECT_EQ(hash.finish(), murmurReference("a", 1, 0x0BADF00D));
}
