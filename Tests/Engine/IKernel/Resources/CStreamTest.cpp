#include "Engine/IKernel/Resources/CStream.h"

#include "Engine/IKernel/Resources/StreamTestSupport.h"
#include "Engine/IKernel/Resources/Zip/CGZipStream.h"

#include <cstring>

using namespace Tavrin::Engine;
using namespace FileTestSupport;
using namespace StreamTestSupport;

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/CStream";

// Writes one value of every kind; `expected` gets the bytes it must produce.
void writeEverything(CStream& stream, std::vector<unsigned char>& expected)
{
    auto add = [&](std::initializer_list<int> bytes) {
        for (int b : bytes)
            expected.push_back(static_cast<unsigned char>(b));
    };
    EXPECT_EQ(stream.write(1.5), 8u);
    add({0, 0, 0, 0, 0, 0, 0xF8, 0x3F});
    EXPECT_EQ(stream.write(-2.0f), 4u);
    add({0, 0, 0, 0xC0});
    EXPECT_EQ(stream.write(true), 1u);
    add({1});
    EXPECT_EQ(stream.write(CString("abc")), 7u);
    add({3, 0, 0, 0, 'a', 'b', 'c'});
    EXPECT_EQ(stream.write("xy", 2), 2u);
    add({'x', 'y'});
    EXPECT_EQ(stream.write(int64_t(-2)), 8u);
    add({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(stream.write(uint64_t(0x0102030405060708ull)), 8u);
    add({8, 7, 6, 5, 4, 3, 2, 1});
    EXPECT_EQ(stream.write(int32_t(-3)), 4u);
    add({0xFD, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(stream.write(uint32_t(0xA1B2C3D4u)), 4u);
    add({0xD4, 0xC3, 0xB2, 0xA1});
    EXPECT_EQ(stream.write(int16_t(-4)), 2u);
    add({0xFC, 0xFF});
    EXPECT_EQ(stream.write(uint16_t(0xBEEF)), 2u);
    add({0xEF, 0xBE});
    EXPECT_EQ(stream.write(int8_t(-5)), 1u);
    add({0xFB});
    EXPECT_EQ(stream.write(uint8_t(0xAA)), 1u);
    add({0xAA});
    EXPECT_EQ(stream.write(CString()), 4u); // the count alone
    add({0, 0, 0, 0});
    EXPECT_EQ(stream.write(false), 1u);
    add({0});
}

void readEverything(CStream& stream)
{
    EXPECT_EQ(stream.readDouble(), 1.5);
    EXPECT_EQ(stream.readFloat(), -2.0f);
    EXPECT_TRUE(stream.readBool());
    CString text;
    stream.read(text);
    EXPECT_STREQ(text.c_str(), "abc");
    char raw[2];
    EXPECT_EQ(stream.read(raw, 2), 2u);
    EXPECT_EQ(memcmp(raw, "xy", 2), 0);
    EXPECT_EQ(stream.readInt64(), -2);
    EXPECT_EQ(stream.readUInt64(), 0x0102030405060708ull);
    EXPECT_EQ(stream.readInt32(), -3);
    EXPECT_EQ(stream.readUInt32(), 0xA1B2C3D4u);
    EXPECT_EQ(stream.readInt16(), -4);
    EXPECT_EQ(stream.readUInt16(), 0xBEEF);
    EXPECT_EQ(stream.readInt8(), -5);
    EXPECT_EQ(stream.readUInt8(), 0xAA);
    stream.read(text);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(stream.readBool());
}

} // namespace

TEST(CStream, EveryValueTravelsAsLittleEndianBytes)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream());
    std::vector<unsigned char> expected;
    writeEverything(*stream, expected);
    EXPECT_EQ(memoryData(*stream), expected);
    stream->setPosition(0);
    readEverything(*stream);
    EXPECT_EQ(stream->getPosition(), expected.size());
}

TEST_F(AliasTest, FileStreamsCarryTheSameBytes)
{
    std::string path = testPath("values.bin");
    std::vector<unsigned char> expected;
    {
        CManagedPtr<CFileStream> out = own(new CFileStream(CStream::C_ACCESS_WRITE, path.c_str()));
        writeEverything(*out, expected);
    }
    EXPECT_EQ(fileBytes(path.c_str()), expected);
    CManagedPtr<CFileStream> in = own(new CFileStream(CStream::C_ACCESS_READ, path.c_str()));
    readEverything(*in);
}

TEST(CStream, StringCountsDecideTheText)
{
    struct SCase
    {
        std::vector<unsigned char> bytes;
        const char* expected;
        uint64_t consumed;
    } cases[] = {
        {{3, 0, 0, 0, 'a', 'b', 'c', 'd'}, "abc", 7},
        {{0, 0, 0, 0, 'a'}, "", 4},
        {{0xFF, 0xFF, 0xFF, 0xFF, 'a'}, "", 4},                   // negative
        {{0, 0, 0, 0x80, 'a'}, "", 4},                            // most negative
        {{0xFF, 0xFF, 0xFF, 0x7F, 'h', 'i'}, "hi", 6},            // far more than there is
        {{5, 0, 0, 0, 'a', 0, 'b', 'c', 'd'}, "a", 9},            // the text ends at a zero byte
        {{2, 0}, "", 2},                                          // a cut count
    };
    for (const SCase& c : cases)
    {
        std::vector<unsigned char> bytes = c.bytes;
        CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(bytes.data(), bytes.size()));
        CString text("previous", 1);
        stream->read(text);
        EXPECT_STREQ(text.c_str(), c.expected);
        EXPECT_EQ(text.getUTF8(), 0u);
        EXPECT_EQ(stream->getPosition(), c.consumed);
    }
}

TEST(CStream, LongStringsReadWhole)
{
    // Longer than the pieces a string is read in.
    std::vector<unsigned char> sample = sampleBytes(100000, 3);
    for (unsigned char& byte : sample)
        byte = static_cast<unsigned char>('a' + byte % 26);
    CString text(std::string(sample.begin(), sample.end()).c_str());
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream());
    stream->write(text);
    stream->setPosition(0);
    CString back;
    stream->read(back);
    EXPECT_TRUE(back == text);
}

TEST(CStream, TypedReadsAtTheEndKeepWhatIsThere)
{
    unsigned char bytes[3] = {0x11, 0x22, 0x33};
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(bytes, sizeof(bytes)));
    stream->setPosition(1);
    EXPECT_EQ(stream->readUInt32(), 0x3322u);
    EXPECT_EQ(stream->readUInt64(), 0u);
    EXPECT_FALSE(stream->readBool());
}

TEST(CStream, ReadAllSizedStreamInOneTransfer)
{
    std::vector<unsigned char> sample = sampleBytes(20000, 1);
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream(sample.data(), sample.size()));
    stream->setPosition(100);
    CArray<unsigned char> out;
    out.add(7);
    EXPECT_EQ(stream->readAll(out, 1), sample.size() - 100);
    ASSERT_EQ(out.getCount(), sample.size() - 99);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(memcmp(out.getData() + 1, sample.data() + 100, sample.size() - 100), 0);

    // Past the end: nothing, not a wrapped-around size.
    stream->setPosition(sample.size() + 10);
    EXPECT_EQ(stream->readAll(out, 16), 0u);
    CArray<unsigned char>* rest = stream->readAll(16);
    EXPECT_EQ(rest->getCount(), 0u);
    delete rest;
}

TEST(CStream, ReadAllUnsizedStreamInBufferSizedPieces)
{
    std::vector<unsigned char> sample = sampleBytes(50000, 2);
    CManagedPtr<CMemoryStream> packed = own(new CMemoryStream());
    {
        CManagedPtr<CGZipStream> zip = own(new CGZipStream(packed.get(), CGZipStream::C_GZIP_COMPRESS, 9));
        zip->write(sample.data(), sample.size());
    }
    for (uint32_t bufferSize : {1u, 4096u, 50000u, 65536u})
    {
        packed->setPosition(0);
        CManagedPtr<CGZipStream> unzip = own(new CGZipStream(packed.get()));
        CArray<unsigned char>* all = unzip->readAll(bufferSize);
        ASSERT_EQ(all->getCount(), sample.size()) << bufferSize;
        EXPECT_EQ(memcmp(all->getData(), sample.data(), sample.size()), 0);
        delete all;
    }
}

TEST(CStream, ReadAllNeedsABuffer)
{
    CManagedPtr<CMemoryStream> stream = own(new CMemoryStream());
    CArray<unsigned char> out;
    expectException<CInvalidArgumentException>([&] { stream->readAll(out, 0); }, "bufferSize must be > 0\n", C_FILE, 63);
    expectException<CInvalidArgumentException>([&] { stream->readAll(0); }, "bufferSize must be > 0\n", C_FILE, 23);
}

namespace {

// Claims more data than it holds, as a file cut behind a stream's back does.
class COverstatedStream : public CMemoryStream
{
public:
    using CMemoryStream::CMemoryStream;
    uint64_t getSize() override { return CMemoryStream::getSize() + 40; }
};

} // namespace

TEST(CStream, ReadAllWarnsWhenASizedStreamComesShort)
{
    LogCapture capture;
    std::vector<unsigned char> sample = sampleBytes(60, 4);
    CManagedPtr<CMemoryStream> stream = own<CMemoryStream>(new COverstatedStream(sample.data(), sample.size()));
    CArray<unsigned char>* part = stream->readAll(64);
    ASSERT_EQ(part->getCount(), 60u); // only what came
    EXPECT_EQ(memcmp(part->getData(), sample.data(), 60), 0);
    delete part;
    EXPECT_NE(capture.text().find("Warning: Asked stream for 100 bytes and read 60.\n"), std::string::npos)
        << capture.text();
}
