#include "Engine/IKernel/Resources/CFileStream.h"

#include "Engine/IKernel/Resources/StreamTestSupport.h"

#include <cstring>

using namespace Tavrin::Engine;
using namespace FileTestSupport;
using namespace StreamTestSupport;

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/CFileStream";

} // namespace

TEST_F(AliasTest, FileStreamAccessModes)
{
    std::string path = testPath("access.bin");
    ASSERT_TRUE(writeFileBytes(path.c_str(), {1, 2, 3, 4}));
    {
        CManagedPtr<CFileStream> both = own(new CFileStream(CStream::C_ACCESS_READ_WRITE, path.c_str()));
        EXPECT_EQ(both->getSize(), 4u); // opened, not replaced
        both->seek(CStream::C_SEEK_END, 0);
        both->write(uint8_t(5));
        both->setPosition(0);
        EXPECT_EQ(both->readUInt8(), 1);
    }
    EXPECT_EQ(fileBytes(path.c_str()), (std::vector<unsigned char>{1, 2, 3, 4, 5}));
    {
        CManagedPtr<CFileStream> writer = own(new CFileStream(CStream::C_ACCESS_WRITE, path.c_str()));
        EXPECT_EQ(writer->getSize(), 0u); // replaced
    }
    for (uint32_t access : {0u, 4u, 7u})
        expectException<CInvalidOperationException>([&] { CFileStream* s = new CFileStream(access, path.c_str()); s->release(); }, "Invalid stream access specified!", C_FILE, 39);
}

TEST_F(AliasTest, FileStreamSeekOrigins)
{
    std::string path = testPath("seek.bin");
    ASSERT_TRUE(writeFileBytes(path.c_str(), sampleBytes(100, 6)));
    CManagedPtr<CFileStream> stream = own(new CFileStream(CStream::C_ACCESS_READ, path.c_str()));
    EXPECT_TRUE(stream->canSeek());
    EXPECT_TRUE(stream->hasSize());
    EXPECT_EQ(stream->seek(CStream::C_SEEK_BEGIN, 10), 10u);
    EXPECT_EQ(stream->seek(CStream::C_SEEK_CURRENT, 5), 15u);
    EXPECT_EQ(stream->seek(CStream::C_SEEK_END, -20), 80u);
    EXPECT_EQ(stream->setPosition(42), 42u);
    EXPECT_EQ(stream->readUInt8(), sampleBytes(100, 6)[42]);
    expectException<CInvalidOperationException>([&] { stream->seek(3, 0); }, "Unknown steam type!", C_FILE, 80);
}

TEST_F(AliasTest, ClosedFileStreamThrows)
{
    std::string path = testPath("closed.bin");
    CManagedPtr<CFileStream> stream = own(new CFileStream(CStream::C_ACCESS_READ_WRITE, path.c_str()));
    stream->close();
    stream->close();
    EXPECT_THROW(stream->readUInt8(), CInvalidOperationException);
    EXPECT_THROW(stream->write(uint8_t(1)), CInvalidOperationException);
}

TEST_F(AliasTest, UnopenedFileStreamReadsZeros)
{
    LogCapture capture;
    std::string path = testPath("never.bin");
    CManagedPtr<CFileStream> stream = own(new CFileStream(CStream::C_ACCESS_READ, path.c_str()));
    EXPECT_FALSE(stream->getFile().isOpen());
    EXPECT_NE(capture.text().find("could not be read"), std::string::npos);
    capture.clear();
    unsigned char buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(stream->read(buffer, 4), 0u);
    EXPECT_EQ(buffer[0] | buffer[1] | buffer[2] | buffer[3], 0);
    EXPECT_FALSE(capture.text().empty()); // each failed read is logged
    EXPECT_EQ(stream->write(uint32_t(1)), 0u);
}
