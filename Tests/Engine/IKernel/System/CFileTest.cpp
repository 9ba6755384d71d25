#include "Engine/IKernel/System/CFile.h"

#include "Engine/IKernel/System/FileTestSupport.h"

#include <cstring>
#include <vector>

using namespace Tavrin::Engine;
using namespace FileTestSupport;

namespace {

const char* const C_FILE = "Engine/IKernel/System/CFile";

class CFileTest : public AliasTest
{
protected:
    CFileName makeFile(const char* name, const char* content)
    {
        CFileName fileName(testPath(name).c_str());
        CFile file(fileName, CFile::C_MODE_WRITE, CFile::C_SHARE_NONE);
        EXPECT_TRUE(file.isOpen());
        file.write(content, static_cast<uint32_t>(strlen(content)));
        return fileName;
    }

    static std::string readAll(const CFileName& name)
    {
        CFile file(name, CFile::C_MODE_READ, CFile::C_SHARE_READ);
        std::string text(static_cast<size_t>(file.getSize()), '\0');
        uint32_t got = 0;
        EXPECT_TRUE(file.read(&text[0], static_cast<uint32_t>(text.size()), &got));
        text.resize(got);
        return text;
    }
};

} // namespace

TEST_F(CFileTest, WritesReadsAndTracksPositionAndSize)
{
    CFileName name(testPath("rw.bin").c_str());
    CFile file(name, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_NONE);
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.getSize(), 0u);
    EXPECT_EQ(file.write("hello world", 11), 11u);
    EXPECT_EQ(file.getPosition(), 11u);
    EXPECT_EQ(file.getSize(), 11u);

    char buffer[16] = {};
    uint32_t got = 99;
    file.seek(-5, CFile::C_SEEK_END);
    EXPECT_EQ(file.getPosition(), 6u);
    EXPECT_TRUE(file.read(buffer, sizeof(buffer), &got));
    EXPECT_EQ(got, 5u);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(file.getPosition(), 11u);

    file.seek(2, CFile::C_SEEK_BEGIN);
    file.seek(2, CFile::C_SEEK_CURRENT);
    EXPECT_EQ(file.getPosition(), 4u);
    file.seek(1, 7); // an unknown origin counts from the start
    EXPECT_EQ(file.getPosition(), 1u);
    file.seek(-100, CFile::C_SEEK_BEGIN); // refused: nothing changes
    EXPECT_EQ(file.getPosition(), 1u);
    EXPECT_TRUE(file.read(buffer, 0, &got));
    EXPECT_EQ(got, 0u);

    // Overwriting inside does not grow the file; writing past the end does.
    file.seek(9, CFile::C_SEEK_BEGIN);
    file.write("DDDD", 4);
    EXPECT_EQ(file.getSize(), 13u);
    file.close();
    EXPECT_EQ(readAll(name), "hello worDDDD");
}

TEST_F(CFileTest, CreationRulesPerMode)
{
    CFileName name = makeFile("modes.txt", "original");
    {
        CFile keep(name, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_NONE); // opens, keeps the content
        EXPECT_EQ(keep.getSize(), 8u);
    }
    {
        CFile both(name, 3, CFile::C_SHARE_NONE);
        EXPECT_TRUE(both.isOpen());
        EXPECT_EQ(both.getSize(), 8u);
    }
    {
        CFile replace(name, CFile::C_MODE_WRITE, CFile::C_SHARE_NONE); // always a new, empty file
        EXPECT_EQ(replace.getSize(), 0u);
    }
    EXPECT_EQ(readAll(name), "");

    CFileName fresh(testPath("fresh.txt").c_str());
    {
        CFile create(fresh, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_NONE);
        EXPECT_TRUE(create.isOpen());
    }
    EXPECT_TRUE(CFileUtils::exists(fresh.getFullPath()));
}

TEST_F(CFileTest, MissingFileIsLoggedNotThrown)
{
    LogCapture capture;
    std::string path = testPath("missing.txt");
    CFile file(CFileName(path.c_str()), CFile::C_MODE_READ, CFile::C_SHARE_READ);
    EXPECT_EQ(file.getHandle(), nullptr);
    EXPECT_FALSE(file.isOpen());
    const std::string& text = capture.text();
    std::string missing = "File '" + path + "' doesn't exist!\n";
    std::string failed = "File '" + path + "' could not be read\n";
    EXPECT_NE(text.find(missing), std::string::npos) << text;
    EXPECT_NE(text.find("### Win32 error code: "), std::string::npos) << text;
    EXPECT_NE(text.find(failed), std::string::npos) << text;
    EXPECT_LT(text.find(missing), text.find(failed));

    // Reads then fail, zero the buffer and say so; writes write nothing.
    capture.clear();
    unsigned char buffer[8];
    memset(buffer, 0xAB, sizeof(buffer));
    uint32_t got = 77;
    EXPECT_FALSE(file.read(buffer, sizeof(buffer), &got));
    EXPECT_EQ(got, 0u);
    for (unsigned char byte : buffer)
        EXPECT_EQ(byte, 0);
    EXPECT_FALSE(capture.text().empty());
    EXPECT_EQ(file.write("x", 1), 0u);
    EXPECT_EQ(file.getPosition(), 0u);
}

TEST_F(CFileTest, UnwritableFileSaysWritten)
{
    LogCapture capture;
    std::string path = testPath("no_dir") + "/sub/file.txt";
    CFile file(CFileName(path.c_str()), CFile::C_MODE_WRITE, CFile::C_SHARE_NONE);
    EXPECT_EQ(file.getHandle(), nullptr);
    EXPECT_EQ(capture.text().find("doesn't exist"), std::string::npos);
    EXPECT_NE(capture.text().find("File '" + path + "' could not be written\n"), std::string::npos) << capture.text();
}

TEST_F(CFileTest, ClosedFileThrows)
{
    CFileName name = makeFile("closed.txt", "abc");
    CFile file(name, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_NONE);
    file.close();
    EXPECT_EQ(file.getHandle(), CFile::C_INVALID_HANDLE);
    file.close(); // a second close does nothing
    char buffer[4];
    expectException<CInvalidOperationException>([&] { file.read(buffer, 3); }, "The file is closed!\n", C_FILE, 290);
    expectException<CInvalidOperationException>([&] { file.write(buffer, 3); }, "The file is closed!\n", C_FILE, 354);
    expectException<CInvalidOperationException>([&] { file.seek(0, 0); }, "The file is closed!\n", C_FILE, 376);
}

TEST_F(CFileTest, ShareRulesDecideWhetherASecondOpenSucceeds)
{
    CFileName name = makeFile("share.txt", "shared");
    struct SCase
    {
        uint32_t firstMode, firstShare, secondMode, secondShare;
        bool opens;
    } cases[] = {
        {CFile::C_MODE_READ, CFile::C_SHARE_READ, CFile::C_MODE_READ, CFile::C_SHARE_READ, true},
        {CFile::C_MODE_READ, CFile::C_SHARE_READ, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_READ, false},
        {CFile::C_MODE_READ, CFile::C_SHARE_NONE, CFile::C_MODE_READ, CFile::C_SHARE_READ, false},
        {CFile::C_MODE_READ, CFile::C_SHARE_READ, CFile::C_MODE_READ, CFile::C_SHARE_NONE, false},
        {CFile::C_MODE_READ_WRITE, CFile::C_SHARE_NONE, CFile::C_MODE_READ, CFile::C_SHARE_READ, false},
        {CFile::C_MODE_READ_WRITE, CFile::C_SHARE_WRITE, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_WRITE, false},
        {CFile::C_MODE_READ, CFile::C_SHARE_WRITE, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_READ, false},
    };
    for (const SCase& c : cases)
    {
        LogCapture capture;
        CFile first(name, c.firstMode, c.firstShare);
        ASSERT_TRUE(first.isOpen());
        CFile second(name, c.secondMode, c.secondShare);
        EXPECT_EQ(second.isOpen(), c.opens) << c.firstMode << "/" << c.firstShare << " then " << c.secondMode << "/"
                                            << c.secondShare;
    }
    // A refused replacing open must not have emptied the file.
    EXPECT_EQ(readAll(name), "shared");
    {
        CFile reader(name, CFile::C_MODE_READ, CFile::C_SHARE_NONE);
        LogCapture capture;
        CFile writer(name, CFile::C_MODE_WRITE, CFile::C_SHARE_NONE);
        EXPECT_FALSE(writer.isOpen());
    }
    EXPECT_EQ(readAll(name), "shared");

    // Two writers that both let others write.
    CFile first(name, CFile::C_MODE_WRITE, CFile::C_SHARE_WRITE);
    CFile second(name, CFile::C_MODE_WRITE, CFile::C_SHARE_WRITE);
    EXPECT_TRUE(first.isOpen());
    EXPECT_TRUE(second.isOpen());
    LogCapture capture;
    CFile reader(name, CFile::C_MODE_READ_WRITE, CFile::C_SHARE_WRITE);
    EXPECT_FALSE(reader.isOpen()); // the writers refuse readers
}
