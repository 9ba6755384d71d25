#include "Engine/IKernel/Resources/Zip/CGZipStream.h"

#include "Engine/IKernel/Resources/CBufferedStream.h"
#include "Engine/IKernel/Resources/StreamTestSupport.h"

#include <zlib.h>

#include <chrono>
#include <cstring>

using namespace Tavrin::Engine;
using namespace FileTestSupport;
using namespace StreamTestSupport;

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/Zip/CGZipStream";

// Compresses `data` into a new memory stream, written in pieces of `piece` bytes.
CManagedPtr<CMemoryStream> compress(const std::vector<unsigned char>& data, int32_t level, size_t piece,
                                    CManagedPtr<CMemoryStream> into = CManagedPtr<CMemoryStream>())
{
    if (!into)
        into = own(new CMemoryStream());
    CManagedPtr<CGZipStream> zip = own(new CGZipStream(into.get(), CGZipStream::C_GZIP_COMPRESS, level));
    for (size_t done = 0; done < data.size(); done += piece)
    {
        size_t count = std::min(piece, data.size() - done);
        EXPECT_EQ(zip->write(data.data() + done, count), count);
    }
    zip->close();
    return into;
}

std::vector<unsigned char> decompress(const unsigned char* bytes, size_t size, size_t piece)
{
    CManagedPtr<CMemoryStream> packed = own(new CMemoryStream(const_cast<unsigned char*>(bytes), size));
    CManagedPtr<CGZipStream> unzip = own(new CGZipStream(packed.get()));
    return drain(*unzip, piece);
}

std::vector<unsigned char> decompress(const std::vector<unsigned char>& bytes, size_t piece)
{
    return decompress(bytes.data(), bytes.size(), piece);
}

} // namespace

TEST(CGZipStream, RoundTripsAtEveryLevelAndPieceSize)
{
    std::vector<unsigned char> sample = sampleBytes(300000, 9);
    for (int32_t level : {-1, 0, 1, 9})
    {
        for (size_t piece : {size_t(1000), size_t(300000)})
        {
            CManagedPtr<CMemoryStream> packed = compress(sample, level, piece);
            std::vector<unsigned char> bytes = memoryData(*packed);
            ASSERT_GE(bytes.size(), 18u);
            EXPECT_EQ(bytes[0], 0x1F); // the gzip magic
            EXPECT_EQ(bytes[1], 0x8B);
            for (size_t readPiece : {size_t(1), size_t(8191), size_t(1 << 20)})
            {
                if (readPiece == 1 && piece != 300000)
                    continue; // byte by byte once per level is enough
                EXPECT_EQ(decompress(bytes, readPiece), sample) << level << " " << piece << " " << readPiece;
            }
        }
    }
}

TEST_F(AliasTest, ZlibOwnReaderReadsWhatWeWrite)
{
    std::vector<unsigned char> sample = sampleBytes(100000, 10);
    std::string path = testPath("ours.gz");
    {
        CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_WRITE, path.c_str()));
        CManagedPtr<CGZipStream> zip = own(new CGZipStream(file.get(), CGZipStream::C_GZIP_COMPRESS, 9));
        zip->write(sample.data(), sample.size());
    } // closed by the destructor
    CString native = CFileSystem::toNativePath(CFileUtils::resolveAliases(path.c_str()));
    gzFile reader = gzopen(native.c_str(), "rb");
    ASSERT_NE(reader, nullptr);
    std::vector<unsigned char> back(sample.size() + 100);
    int got = gzread(reader, back.data(), static_cast<unsigned>(back.size()));
    gzclose(reader);
    ASSERT_EQ(got, static_cast<int>(sample.size()));
    back.resize(sample.size());
    EXPECT_EQ(back, sample);
}

TEST(CGZipStream, MembersFollowingEachOtherDecompressAsOne)
{
    std::vector<unsigned char> first = sampleBytes(20000, 11);
    std::vector<unsigned char> second = sampleBytes(30000, 12);
    CManagedPtr<CMemoryStream> packed = compress(first, 1, 20000);
    compress(second, 9, 30000, packed);
    compress(std::vector<unsigned char>(), -1, 1, packed); // an empty member
    std::vector<unsigned char> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(decompress(memoryData(*packed), 4096), expected);
}

TEST(CGZipStream, CutDataGivesWhatWasDecodedAndStops)
{
    std::vector<unsigned char> sample = sampleBytes(60000, 13);
    std::vector<unsigned char> bytes = memoryData(*compress(sample, 9, sample.size()));
    for (size_t cut : {size_t(0), size_t(5), size_t(10), size_t(100), bytes.size() / 2, bytes.size() - 8, bytes.size() - 1})
    {
        std::vector<unsigned char> out = decompress(bytes.data(), cut, 4096);
        ASSERT_LE(out.size(), sample.size()) << cut;
        EXPECT_TRUE(std::equal(out.begin(), out.end(), sample.begin())) << cut;
    }
    // All data but the trailer decodes whole.
    EXPECT_EQ(decompress(bytes.data(), bytes.size() - 8, 4096), sample);
}

TEST(CGZipStream, DamagedDataEndsWithoutCrashOrEndlessLoop)
{
    std::vector<unsigned char> sample = sampleBytes(60000, 14);
    std::vector<unsigned char> bytes = memoryData(*compress(sample, 1, sample.size()));
    uint32_t state = 5;
    auto started = std::chrono::steady_clock::now();
    for (int round = 0; round < 200; ++round)
    {
        std::vector<unsigned char> damaged = bytes;
        for (int flips = 0; flips < 1 + round % 4; ++flips)
        {
            state = state * 1103515245u + 12345u;
            damaged[(state >> 8) % damaged.size()] ^= static_cast<unsigned char>(1 + (state >> 3) % 255);
        }
        CManagedPtr<CMemoryStream> packed = own(new CMemoryStream(damaged.data(), damaged.size()));
        CManagedPtr<CGZipStream> unzip = own(new CGZipStream(packed.get()));
        std::vector<unsigned char> out = drain(*unzip, 4096);
        EXPECT_LE(out.size(), sample.size() * 2);
        // Once it has stopped, it stays stopped.
        unsigned char byte;
        EXPECT_EQ(unzip->read(&byte, 1), 0u);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));

    // Not gzip at all.
    std::vector<unsigned char> text(5000, 'x');
    EXPECT_TRUE(decompress(text, 100).empty());
}

TEST(CGZipStream, BufferedByteReadsOverADecompressingStream)
{
    std::vector<unsigned char> sample = sampleBytes(20000, 15);
    CManagedPtr<CMemoryStream> packed = compress(sample, -1, sample.size());
    packed->setPosition(0);
    CManagedPtr<CGZipStream> unzip = own(new CGZipStream(packed.get()));
    LogCapture capture;
    CManagedPtr<CBufferedStream> buffered = own(new CBufferedStream(unzip.get()));
    std::vector<unsigned char> out;
    unsigned char byte;
    while (buffered->read(&byte, 1) == 1)
        out.push_back(byte);
    EXPECT_EQ(out, sample);
    EXPECT_EQ(capture.text().find("unsupported"), std::string::npos) << capture.text();
}

TEST(CGZipStream, ModeAndAccessRules)
{
    CManagedPtr<CMemoryStream> memory = own(new CMemoryStream());
    unsigned char block[4] = {};
    CManagedPtr<CMemoryStream> readOnly = own(new CMemoryStream(block, sizeof(block)));
    CManagedPtr<CMemoryStream> writeOnly = own(new CMemoryStream(block, sizeof(block), CStream::C_ACCESS_WRITE));
    const char* combination = "Invalid compression and stream access combination!\n";
    expectException<CInternalErrorException>([&] { own(new CGZipStream(writeOnly.get())); }, combination, C_FILE, 80);
    expectException<CInternalErrorException>(
        [&] { own(new CGZipStream(readOnly.get(), CGZipStream::C_GZIP_COMPRESS)); }, combination, C_FILE, 80);
    for (int32_t level : {-2, 2, 5, 6, 10})
        expectException<CInvalidOperationException>(
            [&] { own(new CGZipStream(memory.get(), CGZipStream::C_GZIP_COMPRESS, level)); }, "Invalid compression level!\n", C_FILE, 119);
    EXPECT_EQ(memory->getReferenceCount(), 1u); // refused streams gave their references back

    CManagedPtr<CGZipStream> zip = own(new CGZipStream(memory.get(), CGZipStream::C_GZIP_COMPRESS, 1));
    EXPECT_EQ(zip->getAccess(), CStream::C_ACCESS_WRITE);
    unsigned char buffer[4];
    expectException<CInternalErrorException>([&] { zip->read(buffer, 4); }, "Invalid compression mode, must be set to C_GZIP_DECOMPRESS!\n", C_FILE, 417);
    EXPECT_EQ(zip->write(nullptr, 4), 0u);
    EXPECT_EQ(zip->write(buffer, 0), 0u);
    zip->close();
    expectException<CInvalidOperationException>([&] { zip->write(buffer, 4); }, "Stream is closed!\n", C_FILE, 277);
    expectException<CInvalidOperationException>([&] { zip->close(); }, "Stream is already closed!\n", C_FILE, 486);

    memory->setPosition(0);
    CManagedPtr<CGZipStream> unzip = own(new CGZipStream(memory.get()));
    EXPECT_EQ(unzip->getAccess(), CStream::C_ACCESS_READ);
    expectException<CInternalErrorException>([&] { unzip->write(buffer, 4); }, "Invalid compression mode, must be set to C_GZIP_COMPRESS!\n", C_FILE, 270);
    EXPECT_EQ(unzip->read(buffer, 0), 0u);
    unzip->close();
    expectException<CInvalidOperationException>([&] { unzip->read(buffer, 4); }, "Stream is closed!\n", C_FILE, 424);
}

namespace {

// The line of the CInvalidOperationException that `action` throws with
// these details; -1 (and a failure) when it throws none.
template <typename Action>
int32_t failureLine(Action action, const char* details)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected: " << details;
    }
    catch (const CInvalidOperationException& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), details);
        return exception.getLine();
    }
    return -1;
}

} // namespace

// An inner stream that refuses data (a file that never opened, a medium that
// failed once): the wrapper must not count what it lost as written, and once
// failed it stays failed, so that no later call claims a complete file.
TEST_F(AliasTest, WrappersReportDataTheirInnerStreamRefused)
{
    LogCapture quiet;
    const std::string path = testPath("no_such_folder/x.bin");
    const std::vector<unsigned char> data = sampleBytes(20000, 5);
    const char* gzipLoss = "Compressed data could not be written!\n";
    const char* bufferLoss = "Buffered data could not be written!\n";
    enum TChain
    {
        C_GZIP,
        C_GZIP_OVER_BUFFERED,
        C_BUFFERED
    };
    struct SCase
    {
        TChain chain;
        bool refusesOnce; // else a file that never opened
        size_t count;     // within one buffer, and past it
        const char* details;
    } cases[] = {
        {C_GZIP, false, 20000, gzipLoss},
        {C_GZIP, false, 100, gzipLoss},
        {C_GZIP, true, 20000, gzipLoss},
        {C_GZIP, true, 100, gzipLoss},
        {C_GZIP_OVER_BUFFERED, false, 20000, bufferLoss},
        {C_GZIP_OVER_BUFFERED, false, 100, bufferLoss},
        {C_GZIP_OVER_BUFFERED, true, 20000, bufferLoss},
        {C_GZIP_OVER_BUFFERED, true, 100, bufferLoss},
        {C_BUFFERED, false, 20000, bufferLoss},
        {C_BUFFERED, false, 100, bufferLoss},
        {C_BUFFERED, true, 20000, bufferLoss},
        {C_BUFFERED, true, 100, bufferLoss},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.chain) + (c.refusesOnce ? " once " : " never opened ") + std::to_string(c.count));
        CManagedPtr<CStream> inner =
            c.refusesOnce ? CManagedPtr<CStream>(own(new CRefusingStream(1)))
                          : CManagedPtr<CStream>(own(new CFileStream(CStream::C_ACCESS_WRITE, path.c_str())));
        if (c.chain == C_GZIP_OVER_BUFFERED)
            inner = own(new CBufferedStream(inner.get()));
        CManagedPtr<CStream> wrapper =
            c.chain == C_BUFFERED ? CManagedPtr<CStream>(own(new CBufferedStream(inner.get())))
                                  : CManagedPtr<CStream>(own(new CGZipStream(inner.get(), CGZipStream::C_GZIP_COMPRESS)));
        int32_t line = failureLine(
            [&] {
                wrapper->write(data.data(), c.count);
                c.chain == C_BUFFERED ? wrapper->flush() : wrapper->close();
            },
            c.details);
        // The same failure again, whatever comes next.
        EXPECT_EQ(failureLine([&] { wrapper->write(data.data(), 4); }, c.details), line);
        EXPECT_EQ(failureLine([&] { wrapper->flush(); }, c.details), line);
        EXPECT_EQ(failureLine([&] { wrapper->close(); }, c.details), line);
    }
}

TEST(CGZipStream, PositionQueriesAreUnsupported)
{
    CManagedPtr<CMemoryStream> memory = own(new CMemoryStream());
    CManagedPtr<CGZipStream> zip = own(new CGZipStream(memory.get(), CGZipStream::C_GZIP_COMPRESS));
    LogCapture capture;
    EXPECT_FALSE(zip->canSeek());
    EXPECT_FALSE(zip->hasSize());
    EXPECT_EQ(zip->getSize(), 0u);
    EXPECT_EQ(zip->getPosition(), 0u);
    EXPECT_EQ(zip->setPosition(10), 0u);
    EXPECT_EQ(zip->seek(CStream::C_SEEK_BEGIN, 10), 0u);
    EXPECT_EQ(capture.text(), "Warning: CGZipStream::getSize() is unsupported!\n"
                              "Warning: CGZipStream::getPosition() is unsupported!\n"
                              "Warning: CGZipStream::setPosition() is unsupported!\n"
                              "Warning: CGZipStream::seek() is unsupported!\n");
}

#ifdef TAVRIN_GZIP_SAMPLES
TEST_F(AliasTest, SystemGzipSamplesDecompressByteForByte)
{
    std::string folder = TAVRIN_GZIP_SAMPLES;
    std::vector<unsigned char> text = fileBytes((folder + "/text.txt").c_str());
    std::vector<unsigned char> binary = fileBytes((folder + "/binary.bin").c_str());
    if (text.empty() || binary.empty())
        GTEST_SKIP() << "the build's gzip samples are not reachable from here: " << folder;
    for (const char* level : {"1", "6", "9"})
    {
        for (const char* name : {"text.txt", "binary.bin"})
        {
            std::string path = folder + "/" + name + "." + level + ".gz";
            CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_READ, path.c_str()));
            CManagedPtr<CGZipStream> unzip = own(new CGZipStream(file.get()));
            EXPECT_EQ(drain(*unzip, 65536), name[0] == 't' ? text : binary) << path;
        }
    }
    std::vector<unsigned char> both = text;
    both.insert(both.end(), binary.begin(), binary.end());
    CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_READ, (folder + "/multi.gz").c_str()));
    CManagedPtr<CGZipStream> unzip = own(new CGZipStream(file.get()));
    EXPECT_EQ(drain(*unzip, 3000), both);
}
#endif
