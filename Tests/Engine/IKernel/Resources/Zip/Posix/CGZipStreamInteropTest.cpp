#include "Engine/IKernel/Resources/Zip/CGZipStream.h"

#include "Engine/IKernel/Resources/StreamTestSupport.h"

#include <cstdlib>

using namespace Tavrin::Engine;
using namespace FileTestSupport;
using namespace StreamTestSupport;

namespace {

std::string nativePath(const std::string& path)
{
    return CFileSystem::toNativePath(CFileUtils::resolveAliases(path.c_str())).c_str();
}

int run(const std::string& command)
{
    return system(command.c_str());
}

} // namespace

TEST_F(AliasTest, SystemGzipAndOursReadEachOther)
{
    if (run("gzip --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no gzip command on this machine";
    std::vector<unsigned char> sample = sampleBytes(400000, 21);
    std::string plain = testPath("plain.bin");
    ASSERT_TRUE(writeFileBytes(plain.c_str(), sample));

    // Theirs to ours: every level, and two members in one file.
    for (const char* level : {"1", "6", "9"})
    {
        std::string packed = testPath((std::string("theirs") + level + ".gz").c_str());
        ASSERT_EQ(run("gzip -c -" + std::string(level) + " '" + nativePath(plain) + "' > '" + nativePath(packed) + "'"), 0);
        CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_READ, packed.c_str()));
        CManagedPtr<CGZipStream> unzip = own(new CGZipStream(file.get()));
        EXPECT_EQ(drain(*unzip, 10000), sample) << level;
    }
    std::string joined = testPath("joined.gz");
    ASSERT_EQ(run("cat '" + nativePath(testPath("theirs1.gz")) + "' '" + nativePath(testPath("theirs9.gz")) + "' > '" +
                  nativePath(joined) + "'"),
              0);
    {
        CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_READ, joined.c_str()));
        CManagedPtr<CGZipStream> unzip = own(new CGZipStream(file.get()));
        std::vector<unsigned char> twice = sample;
        twice.insert(twice.end(), sample.begin(), sample.end());
        EXPECT_EQ(drain(*unzip, 65536), twice);
    }

    // Ours to theirs: gzip -d must accept every level and give the bytes back.
    for (int32_t level : {-1, 0, 1, 9})
    {
        std::string packed = testPath(("ours" + std::to_string(level + 1) + ".gz").c_str());
        {
            CManagedPtr<CFileStream> file = own(new CFileStream(CStream::C_ACCESS_WRITE, packed.c_str()));
            CManagedPtr<CGZipStream> zip = own(new CGZipStream(file.get(), CGZipStream::C_GZIP_COMPRESS, level));
            for (size_t done = 0; done < sample.size(); done += 7777)
                zip->write(sample.data() + done, std::min<size_t>(7777, sample.size() - done));
        }
        std::string unpacked = testPath(("ours" + std::to_string(level + 1) + ".out").c_str());
        ASSERT_EQ(run("gzip -d -c '" + nativePath(packed) + "' > '" + nativePath(unpacked) + "'"), 0) << level;
        EXPECT_EQ(fileBytes(unpacked.c_str()), sample) << level;
    }
}
