#include "Engine/IKernel/Resources/CMemoryStream.h"

#include "Engine/IKernel/Resources/StreamTestSupport.h"

#include <cstring>

using namespace Tavrin::Engine;
using namespace FileTestSupport;
using namespace StreamTestSupport;

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/CMemoryStream";

} // namespace

TEST(CMemoryStream, OwnedBlockDoublesUntilTheDataFits)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(16));
    EXPECT_TRUE(stream->ownsBlock());
    EXPECT_EQ(stream->getCapacity(), 16u);
    std::vector<unsigned char> sample = sampleBytes(40, 5);
    EXPECT_EQ(stream->write(sample.data(), 40), 40u);
    EXPECT_EQ(stream->getCapacity(), 64u);
    EXPECT_EQ(stream->getSize(), 40u);
    EXPECT_EQ(memoryData(*stream), sample);

    CManagedPtr<CMemoryStream> empty = own(new CMemoryStream());
    EXPECT_EQ(empty->write(uint8_t(1)), 1u);
    EXPECT_GE(empty->getCapacity(), 1u);
}

TEST(CMemoryStream, BorrowedBlockIsNeverGrown)
{
    unsigned char block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(block, sizeof(block), CStream::C_ACCESS_READ_WRITE));
    EXPECT_FALSE(stream->ownsBlock());
    EXPECT_EQ(stream->getSize(), 8u);
    stream->setPosition(6);
    EXPECT_EQ(stream->write(uint16_t(0x0A09)), 2u); // fits exactly
    EXPECT_EQ(block[6], 9);
    expectException<CInternalErrorException>([&] { stream->write(uint8_t(0)); }, "Memory stream cannot reallocate data it doesn't own!\n", C_FILE, 64);
    EXPECT_EQ(stream->getSize(), 8u);

    // The decoders' form: read only.
    CManagedPtr<CMemoryStream> reader = own(new CMemoryStream(block, sizeof(block)));
    EXPECT_EQ(reader->getAccess(), CStream::C_ACCESS_READ);
    EXPECT_EQ(reader->write(uint8_t(0xEE)), 0u);
    EXPECT_EQ(block[0], 1);
}

TEST(CMemoryStream, ReadsStopAtTheData)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(64));
    stream->write("abcdef", 6);
    stream->setPosition(4);
    char buffer[8] = {};
    EXPECT_EQ(stream->read(buffer, sizeof(buffer)), 2u);
    EXPECT_STREQ(buffer, "ef");
    EXPECT_EQ(stream->getPosition(), 6u);
    stream->setPosition(1000);
    EXPECT_EQ(stream->read(buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(stream->getPosition(), 1000u);
}

TEST(CMemoryStream, WritingPastTheDataLeavesZeros)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(4));
    stream->write("ab", 2);
    stream->setPosition(6);
    stream->write("z", 1);
    std::vector<unsigned char> expected = {'a', 'b', 0, 0, 0, 0, 'z'};
    EXPECT_EQ(memoryData(*stream), expected);
}

TEST(CMemoryStream, SeekOrigins)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(32));
    stream->write("0123456789", 10);
    struct SCase
    {
        uint32_t origin;
        int64_t offset;
        uint64_t expected;
    } cases[] = {
        {CStream::C_SEEK_BEGIN, 3, 3},
        {CStream::C_SEEK_CURRENT, 2, 5},
        {CStream::C_SEEK_CURRENT, -1, 4},
        {CStream::C_SEEK_END, -2, 30}, // the end of the block, not of the data
        {CStream::C_SEEK_BEGIN, -5, 0}, // nothing before the start
        {CStream::C_SEEK_CURRENT, INT64_MIN, 0},
    };
    for (const SCase& c : cases)
    {
        EXPECT_EQ(stream->seek(c.origin, c.offset), c.expected);
        EXPECT_EQ(stream->getPosition(), c.expected);
    }
    expectException<CInvalidOperationException>([&] { stream->seek(3, 0); }, "Unknown steam type!", C_FILE, 148);
}

TEST(CMemoryStream, ToArrayCopiesTheData)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(100));
    CArray<char>* none = stream->toArray();
    EXPECT_EQ(none->getCount(), 0u);
    delete none;
    stream->write("hello", 5);
    CArray<char>* copy = stream->toArray();
    ASSERT_EQ(copy->getCount(), 5u);
    EXPECT_EQ(memcmp(copy->getData(), "hello", 5), 0);
    EXPECT_NE(static_cast<const void*>(copy->getData()), static_cast<const void*>(stream->getData()));
    delete copy;
}

TEST(CMemoryStream, SizesBeyondFourGigabytesAreRefused)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(16));
    stream->setPosition(0xFFFFFFF0ull);
    expectException<CInternalErrorException>([&] { stream->write("0123456789abcdef0123", 20); }, "Failed to reallocate memory!", C_FILE, 78);
    EXPECT_EQ(stream->getCapacity(), 16u);
}
