#include "Engine/IKernel/System/CFileName.h"

#include "Engine/IKernel/System/FileTestSupport.h"

using namespace Tavrin::Engine;
using namespace FileTestSupport;

namespace {

class CFileNameTest : public AliasTest
{
protected:
    void SetUp() override
    {
        AliasTest::SetUp();
        CFileUtils::addAlias("Temp", "C:\\T\\");
    }
};

} // namespace

TEST_F(CFileNameTest, SplitsResolvedPaths)
{
    struct SCase
    {
        const char* path;
        const char* full;
        const char* directory;
        const char* fileName;
        const char* baseName;
        const char* extension;
    } cases[] = {
        {"$Temp/dir/file.tar.gz", "C:\\T\\dir\\file.tar.gz", "C:\\T\\dir\\", "file.tar.gz", "file.tar", "gz"},
        {"$temp/noext", "C:\\T\\noext", "C:\\T\\", "noext", "noext", ""},
        {"C:/x//y\\./z.txt", "C:\\x\\y\\z.txt", "C:\\x\\y\\", "z.txt", "z", "txt"},
        {"/a/b/../.hidden", "\\a\\.hidden", "\\a\\", ".hidden", "", "hidden"},
        {"/a/dir/", "\\a\\dir\\", "\\a\\dir\\", "", "", ""},
        {"/a/name.", "\\a\\name.", "\\a\\", "name.", "name", ""},
        {"/data/v1./x.txt", "\\data\\v1.\\x.txt", "\\data\\v1.\\", "x.txt", "x", "txt"},
    };
    for (const SCase& c : cases)
    {
        CFileName name(c.path);
        EXPECT_STREQ(name.getGivenPath().c_str(), c.path);
        EXPECT_STREQ(name.getFullPath().c_str(), c.full) << c.path;
        EXPECT_STREQ(name.getDirectory().c_str(), c.directory) << c.path;
        EXPECT_STREQ(name.getFileName().c_str(), c.fileName) << c.path;
        EXPECT_STREQ(name.getBaseName().c_str(), c.baseName) << c.path;
        EXPECT_STREQ(name.getExtension().c_str(), c.extension) << c.path;
    }
}

TEST_F(CFileNameTest, BareNamesLiveInTheCurrentDirectory)
{
    CString current = CFileUtils::getCurrentDirectory().replace("/", "\\").replace("\\\\", "\\");
    CFileName name("a.txt");
    EXPECT_STREQ(name.getDirectory().c_str(), current.c_str());
    EXPECT_STREQ(name.getFullPath().c_str(), (current + "a.txt").c_str());
    EXPECT_STREQ(name.getBaseName().c_str(), "a");
    EXPECT_EQ(name.getFullPath().find("/"), -1);

    CFileName current2("$current/b.bin");
    EXPECT_STREQ(current2.getDirectory().c_str(), current.c_str());
}

TEST_F(CFileNameTest, UnresolvedAliasesAreReported)
{
    expectException<CInvalidOperationException>([] { CFileName name("$Nope/a.txt"); }, "File name $Nope/a.txtcontains unresolved alias(es)\n", "Engine/IKernel/System/CFileName", 26);
    EXPECT_THROW(CFileName("a/$x"), CInvalidOperationException);
}
