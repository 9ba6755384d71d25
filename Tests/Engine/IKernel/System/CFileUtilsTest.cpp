#include "Engine/IKernel/System/CFileUtils.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/FileTestSupport.h"

#include <ctime>

using namespace Tavrin::Engine;
using namespace FileTestSupport;

namespace {

const char* const C_FILE = "Engine/IKernel/System/CFileUtils";

class CFileUtilsTest : public AliasTest
{
protected:
    void SetUp() override
    {
        AliasTest::SetUp();
        CFileUtils::addAlias("Temp", "C:\\T\\");
    }
};

bool endsWithSeparator(const CString& text)
{
    return text.getLength() > 0 && (text[text.getLength() - 1] == '/' || text[text.getLength() - 1] == '\\');
}

} // namespace

TEST_F(CFileUtilsTest, ResolveAliasesReplacesEveryTokenWithoutDoublingSeparators)
{
    struct SCase
    {
        const char* path;
        const char* expected;
    } cases[] = {
        {"$Temp/a.txt", "C:\\T\\a.txt"},
        {"$temp/a.txt", "C:\\T\\a.txt"},
        {"$TEMP\\a.txt", "C:\\T\\a.txt"},
        {"$Temp", "C:\\T\\"},
        {"$TempData", "C:\\T\\Data"}, // a token also matches inside a longer word
        {"x/$Temp/$Temp/y", "x/C:\\T\\C:\\T\\y"},
        {"$Nope/a.txt", "$Nope/a.txt"},
        {"plain/path", "plain/path"},
        {"", ""},
    };
    for (const SCase& c : cases)
        EXPECT_STREQ(CFileUtils::resolveAliases(c.path).c_str(), c.expected) << c.path;
}

TEST_F(CFileUtilsTest, AliasPathsAreResolvedWhenAdded)
{
    CFileUtils::addAlias("X", "$Temp/x");
    CFileUtils::addAlias("Temp", "D:\\Other\\");
    EXPECT_STREQ(CFileUtils::resolveAliases("$X/f").c_str(), "C:\\T\\x/f");
    EXPECT_STREQ(CFileUtils::resolveAliases("$Temp/f").c_str(), "D:\\Other\\f");
}

TEST_F(CFileUtilsTest, AddRemoveAndNameRules)
{
    uint64_t standard = CFileUtils::getAliasArray()->getCount();
    CFileUtils::addAlias("A", "/a");
    CFileUtils::addAlias("B", "/b");
    CFileUtils::addAlias("a", "/lower"); // names are case-sensitive: a new alias
    ASSERT_EQ(CFileUtils::getAliasArray()->getCount(), standard + 3);
    CFileUtils::addAlias("A", ""); // an empty path removes
    CFileUtils::removeAlias("Unknown");
    const CArray<_SPathAlias>& table = *CFileUtils::getAliasArray();
    ASSERT_EQ(table.getCount(), standard + 2);
    EXPECT_STREQ(table[standard].name.c_str(), "B");
    EXPECT_STREQ(table[standard + 1].name.c_str(), "a");
    CFileUtils::removeAlias("B");
    EXPECT_EQ(table.getCount(), standard + 1);

    expectException<CInvalidOperationException>([] { CFileUtils::addAlias("", "/x"); }, "Alias string is empty\n", C_FILE, 231);
    expectException<CInvalidOperationException>([] { CFileUtils::removeAlias(""); }, "Alias string is empty\n", C_FILE, 260);
}

TEST_F(CFileUtilsTest, AliasHoldingItsOwnTokenIsRefused)
{
    uint64_t count = CFileUtils::getAliasArray()->getCount();
    for (const char* path : {"$Loop/x", "a/$loop", "$Temp$LOOP"})
        EXPECT_THROW(CFileUtils::addAlias("Loop", path), CInvalidOperationException) << path;
    EXPECT_EQ(CFileUtils::getAliasArray()->getCount(), count);
    // Redefining an alias in terms of its old value resolves the old value first.
    CFileUtils::addAlias("Loop", "/fine");
    CFileUtils::addAlias("Loop", "$Loop/again");
    EXPECT_STREQ(CFileUtils::resolveAliases("$Loop").c_str(), "/fine/again");
}

TEST_F(CFileUtilsTest, ResolutionEndsWhenNeighboursSpellTheTokenAgain)
{
    // "$a" + "b" spells "$ab" once more; resolution must still come to an end.
    CFileUtils::addAlias("ab", "b");
    EXPECT_STREQ(CFileUtils::resolveAliases("$a$ab").c_str(), "$ab");
    CFileUtils::addAlias("q", "$");
    EXPECT_STREQ(CFileUtils::resolveAliases("$qq").c_str(), "$q");
}

TEST(CFileUtilsNoTable, EveryOperationNeedsTheTable)
{
    if (CFileUtils::hasAliasArray())
        CFileUtils::destroyAliasArray();
    const char* details = "Alias array does not exist\n";
    expectException<CInvalidOperationException>([] { CFileUtils::destroyAliasArray(); }, details, C_FILE, 220);
    expectException<CInvalidOperationException>([] { CFileUtils::addAlias("A", "/a"); }, details, C_FILE, 230);
    expectException<CInvalidOperationException>([] { CFileUtils::removeAlias("A"); }, details, C_FILE, 259);
    expectException<CInvalidOperationException>([] { CFileUtils::resolveCurrent("x"); }, details, C_FILE, 326);
    expectException<CInvalidOperationException>([] { CFileUtils::normalizePath("x"); }, details, C_FILE, 361);
    EXPECT_TRUE(CFileUtils::resolveAliases("$Temp/x").isEmpty());

    CFileUtils::createAliasArray();
    expectException<CInvalidOperationException>([] { CFileUtils::createAliasArray(); }, "Alias array already created\n", C_FILE, 169);
    CFileUtils::destroyAliasArray();
}

TEST_F(AliasTest, StandardAliasesNameExistingFolders)
{
    const CString& folder = IKernel::getExecutableFolder();
    EXPECT_STREQ(CFileUtils::resolveAliases("$Exe").c_str(), folder.isEmpty() ? "." : folder.c_str());
    CString temp = CFileUtils::resolveAliases("$Temp");
    EXPECT_TRUE(endsWithSeparator(temp)) << temp.c_str();
    EXPECT_TRUE(CFileUtils::exists("$Temp"));
    CString base = CFileName(CFileSystem::getExecutablePath()).getBaseName();
    EXPECT_FALSE(base.isEmpty());
    EXPECT_STREQ(CFileUtils::resolveAliases("$Cache").c_str(), (temp + base + "/Cache").c_str());
    EXPECT_TRUE(CFileUtils::exists("$Cache"));
    EXPECT_TRUE(CFileUtils::exists("$User"));
    CString user = CFileUtils::resolveAliases("$User");
    // The documents folder, else the temporary one, holds the application's folder.
    CString application = IKernel::getApplicationName();
    CString fallback = temp + application + "/User";
    if (user != fallback)
    {
        EXPECT_EQ(user.find("/" + application), user.getLength() - application.getLength() - 1) << user.c_str();
    }
}

TEST_F(CFileUtilsTest, NormalizePathRemovesDotsAndFoldsParents)
{
    struct SCase
    {
        const char* path;
        const char* expected;
    } cases[] = {
        {"a/./b", "a/b"},
        {"./a", "a"},
        {"a\\.\\.\\b", "a\\b"},
        {"c:/x/y/../z", "c:/x/z"},
        {"c:\\x\\y\\..\\z", "c:\\x\\z"},
        {"/a/b/c/../../d", "/a/d"},
        {"x/a/b/../../c", "x/c"},
        {"../y", "../y"},
        {".../y", ".../y"},
        // A name ending in "." is a name, not the current folder.
        {"/data/v1./x.txt", "/data/v1./x.txt"},
        {"a.\\b", "a.\\b"},
        {"a/b./../c", "a/c"},
        {"a/..", "a/.."}, // no separator after ".."
        {"a/b", "a/b"},
        {"", ""},
    };
    for (const SCase& c : cases)
        EXPECT_STREQ(CFileUtils::normalizePath(c.path).c_str(), c.expected) << c.path;
    for (const char* path : {"x/../y", "a/b/../../c", "/a/../../b"})
        expectException<CInvalidArgumentException>([path] { CFileUtils::normalizePath(path); }, "No parent directory found\n", C_FILE, 388);
}

TEST_F(CFileUtilsTest, FullPathResolvesEverythingAndDropsTrailingSlashes)
{
    EXPECT_STREQ(CFileUtils::fullPath("$Temp/dir/./sub/../f//").c_str(), "C:\\T\\dir/f");
    EXPECT_STREQ(CFileUtils::fullPath("$Temp/dir\\").c_str(), "C:\\T\\dir\\");
    CString current = CFileUtils::getCurrentDirectory();
    EXPECT_STREQ(CFileUtils::fullPath("$current/a.txt").c_str(), (current + "a.txt").c_str());
}

TEST_F(CFileUtilsTest, ResolveCurrentReplacesTheFirstTokenOnly)
{
    CString current = CFileUtils::getCurrentDirectory();
    ASSERT_TRUE(endsWithSeparator(current)) << current.c_str();
    EXPECT_STREQ(CFileUtils::resolveCurrent("$CURRENT\\x").c_str(), (current + "x").c_str());
    EXPECT_STREQ(CFileUtils::resolveCurrent("$current$current").c_str(), (current + "$current").c_str());
    EXPECT_STREQ(CFileUtils::resolveCurrent("none").c_str(), "none");
}

TEST_F(AliasTest, CreateDirectoryMakesParentsAndReportsFailure)
{
    char root[128];
    snprintf(root, sizeof(root), "$Cache/%u_tree", CSystemServices::getCurrentProcessId());
    std::string tree = root;
    const std::string folders[3] = {tree + "/a/b", tree + "/a", tree};
    auto removeTree = [&] {
        for (const std::string& folder : folders)
            CFileSystem::removeDirectory(CFileUtils::resolveAliases(folder.c_str()));
    };
    removeTree(); // left by an earlier run with the same process ID
    std::string leaf = tree + "/a/b/";
    EXPECT_FALSE(CFileUtils::exists(leaf.c_str()));
    CFileUtils::createDirectory(leaf.c_str());
    EXPECT_TRUE(CFileUtils::exists(leaf.c_str()));
    CFileUtils::createDirectory(leaf.c_str()); // existing: nothing to do
    CFileUtils::createDirectory("");
    removeTree();
    EXPECT_FALSE(CFileUtils::exists(tree.c_str()));

    // A regular file in the way.
    std::string blocker = testPath("blocker");
    FILE* file = fopen(CFileSystem::toNativePath(CFileUtils::resolveAliases(blocker.c_str())).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fclose(file);
    std::string below = blocker + "/sub/dir";
    expectException<CInvalidOperationException>([&] { CFileUtils::createDirectory(below.c_str()); }, "Cannot create directory\n", C_FILE, 632);
}

TEST_F(AliasTest, StatusQueries)
{
    std::string path = testPath("status.bin");
    FILE* file = fopen(CFileSystem::toNativePath(CFileUtils::resolveAliases(path.c_str())).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite("0123456789", 1, 10, file);
    fclose(file);
    EXPECT_TRUE(CFileUtils::exists(path.c_str()));
    EXPECT_EQ(CFileUtils::fileSize(path.c_str()), 10u);
    uint64_t now = static_cast<uint64_t>(time(nullptr));
    uint64_t modified = CFileUtils::modificationTime(path.c_str());
    EXPECT_LE(modified, now + 5);
    EXPECT_GE(modified + 600, now);

    std::string missing = path + ".missing";
    EXPECT_FALSE(CFileUtils::exists(missing.c_str()));
    EXPECT_EQ(CFileUtils::fileSize(missing.c_str()), 0u);
    EXPECT_EQ(CFileUtils::modificationTime(missing.c_str()), 0u);
    EXPECT_FALSE(CFileUtils::exists(""));
    EXPECT_EQ(CFileUtils::fileSize(""), 0u);
}

TEST_F(AliasTest, PathsLongerThanSystemBuffersAreRefusedCleanly)
{
    std::string longPath = "$Cache/" + std::string(5000, 'x') + "/" + std::string(300, 'y') + ".txt";
    EXPECT_FALSE(CFileUtils::exists(longPath.c_str()));
    EXPECT_EQ(CFileUtils::fileSize(longPath.c_str()), 0u);
    CFileName name(longPath.c_str());
    EXPECT_EQ(name.getFileName().getLength(), 304);
    EXPECT_STREQ(name.getExtension().c_str(), "txt");
    EXPECT_THROW(CFileUtils::createDirectory(longPath.c_str()), CInvalidOperationException);
}
