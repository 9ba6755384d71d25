#include "Engine/IKernel/Resources/CBufferedStream.h"

#include "Engine/IKernel/Resources/StreamTestSupport.h"

#include <algorithm>
#include <cstring>

using namespace Tavrin::Engine;
using namespace FileTestSupport;
using namespace StreamTestSupport;

namespace {

// The plain truth a buffered stream must agree with: a byte vector and a cursor.
struct SModel
{
    std::vector<unsigned char> data;
    uint64_t position = 0;

    uint64_t read(unsigned char* out, uint64_t count)
    {
        uint64_t available = position < data.size() ? data.size() - position : 0;
        uint64_t got = std::min(count, available);
        memcpy(out, data.data() + position, static_cast<size_t>(got));
        position += got;
        return got;
    }
    void write(const unsigned char* in, uint64_t count)
    {
        if (count == 0)
            return;
        if (data.size() < position + count)
            data.resize(static_cast<size_t>(position + count), 0);
        memcpy(data.data() + position, in, static_cast<size_t>(count));
        position += count;
    }
};

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1103515245u + 12345u;
    return state >> 8;
}

// Random reads, writes and moves, each checked against the model.
void exercise(CStream& stream, SModel& model, bool reads, uint32_t seed)
{
    uint32_t state = seed;
    std::vector<unsigned char> got(20000);
    std::vector<unsigned char> expected(20000);
    for (int step = 0; step < 3000; ++step)
    {
        uint32_t choice = nextRandom(state) % 10;
        // Mostly small transfers, now and then one across several buffers.
        uint64_t count = nextRandom(state) % 8 == 0 ? nextRandom(state) % 12000 : nextRandom(state) % 40;
        if (choice < 4 && reads)
        {
            uint64_t n = stream.read(got.data(), count);
            uint64_t m = model.read(expected.data(), count);
            ASSERT_EQ(n, m) << "step " << step;
            ASSERT_EQ(memcmp(got.data(), expected.data(), static_cast<size_t>(n)), 0) << "step " << step;
        }
        else if (choice < 8)
        {
            std::vector<unsigned char> bytes = sampleBytes(static_cast<size_t>(count), static_cast<uint32_t>(step));
            ASSERT_EQ(stream.write(bytes.data(), count), count) << "step " << step;
            model.write(bytes.data(), count);
        }
        else if (choice == 8)
        {
            uint64_t target = nextRandom(state) % (model.data.size() + 6000);
            stream.setPosition(target);
            model.position = target;
        }
        else
        {
            int64_t offset = static_cast<int64_t>(nextRandom(state) % 6000) - 3000;
            uint32_t origin = nextRandom(state) % 2 ? CStream::C_SEEK_CURRENT : CStream::C_SEEK_END;
            int64_t base = origin == CStream::C_SEEK_END ? static_cast<int64_t>(model.data.size())
                                                         : static_cast<int64_t>(model.position);
            if (base + offset < 0)
                offset = -base;
            stream.seek(origin, offset);
            model.position = static_cast<uint64_t>(base + offset);
        }
        ASSERT_EQ(stream.getPosition(), model.position) << "step " << step;
    }
    EXPECT_EQ(stream.getSize(), model.data.size());
}

} // namespace

TEST_F(AliasTest, BufferedReadsCrossTheBufferBoundary)
{
    std::string path = testPath("10000.bin");
    std::vector<unsigned char> sample = sampleBytes(10000, 7);
    ASSERT_TRUE(writeFileBytes(path.c_str(), sample));
    CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_READ, path.c_str()));
    CManagedPtr<CBufferedStream> stream = own(new CBufferedStream(file.get()));
    std::vector<unsigned char> first(5120);
    EXPECT_EQ(stream->read(first.data(), 5120), 5120u);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), sample.begin()));
    EXPECT_EQ(stream->readUInt8(), sample[5120]);
    EXPECT_EQ(stream->getPosition(), 5121u);
    // The rest, then the end.
    std::vector<unsigned char> rest(10000);
    EXPECT_EQ(stream->read(rest.data(), rest.size()), 10000u - 5121u);
    EXPECT_TRUE(std::equal(sample.begin() + 5121, sample.end(), rest.begin()));
    EXPECT_EQ(stream->read(rest.data(), 1), 0u);
    EXPECT_EQ(stream->getAccess(), CStream::C_ACCESS_READ);
    EXPECT_EQ(stream->write(uint8_t(1)), 0u); // not writable
}

TEST_F(AliasTest, BufferedStreamAgreesWithAPlainFile)
{
    std::string path = testPath("model.bin");
    SModel model;
    model.data = sampleBytes(9000, 8);
    ASSERT_TRUE(writeFileBytes(path.c_str(), model.data));
    {
        CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_READ_WRITE, path.c_str()));
        CManagedPtr<CBufferedStream> stream = own(new CBufferedStream(file.get()));
        exercise(*stream, model, true, 11);
    }
    EXPECT_EQ(fileBytes(path.c_str()), model.data);
}

TEST_F(AliasTest, WriteOnlyBufferedStreamKeepsEarlierWrites)
{
    std::string path = testPath("writeonly.bin");
    SModel model;
    {
        CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_WRITE, path.c_str()));
        CManagedPtr<CBufferedStream> stream = own(new CBufferedStream(file.get()));
        exercise(*stream, model, false, 12);
    }
    EXPECT_EQ(fileBytes(path.c_str()), model.data);
}

TEST(CBufferedStream, WritesReachTheInnerStreamOnFlush)
{
    CManagedPtr<CMemoryStream> memory = own(new CMemoryStream());
    CManagedPtr<CBufferedStream> stream = own(new CBufferedStream(memory.get()));
    stream->write(uint32_t(0xDDCCBBAA));
    EXPECT_EQ(memory->getSize(), 0u); // still in the buffer
    stream->flush();
    std::vector<unsigned char> expected = {0xAA, 0xBB, 0xCC, 0xDD};
    EXPECT_EQ(memoryData(*memory), expected);
    stream->setPosition(1);
    stream->write(uint8_t(0x11));
    stream->setPosition(0);
    EXPECT_EQ(stream->readUInt32(), 0xDDCC11AAu); // read back from the buffer
    stream.reset(); // destruction flushes
    expected[1] = 0x11;
    EXPECT_EQ(memoryData(*memory), expected);
    EXPECT_EQ(memory->getReferenceCount(), 1u); // the inner reference was given back
}
