#include "Engine/IKernel/System/CFileSystem.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/FileTestSupport.h"
#include "Support/TestFiles.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace Tavrin::Engine;
using namespace TavrinTests;

namespace {

// Points HOME and XDG_CONFIG_HOME at a private folder for one test.
class DocumentsFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        save("HOME", m_home);
        save("XDG_CONFIG_HOME", m_config);
        m_root = CFileSystem::getTemporaryFolder().c_str() + std::string("tavrin_home_") + std::to_string(getpid());
        mkdir(m_root.c_str(), 0777);
        mkdir((m_root + "/config").c_str(), 0777);
        setenv("HOME", m_root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
    }
    void TearDown() override
    {
        restore("HOME", m_home);
        restore("XDG_CONFIG_HOME", m_config);
        std::string command = "rm -rf '" + m_root + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
    void writeUserDirs(const std::string& line)
    {
        FILE* file = fopen((m_root + "/config/user-dirs.dirs").c_str(), "w");
        ASSERT_NE(file, nullptr);
        fprintf(file, "# written by the test\n%s\n", line.c_str());
        fclose(file);
    }

    std::string m_root;

private:
    static void save(const char* name, std::pair<bool, std::string>& value)
    {
        const char* text = getenv(name);
        value = {text != nullptr, text ? text : ""};
    }
    static void restore(const char* name, const std::pair<bool, std::string>& value)
    {
        if (value.first)
            setenv(name, value.second.c_str(), 1);
        else
            unsetenv(name);
    }
    std::pair<bool, std::string> m_home;
    std::pair<bool, std::string> m_config;
};

} // namespace

TEST_F(DocumentsFolderTest, XdgFolderFirstThenHomeDocumentsThenNone)
{
    CString folder;
    EXPECT_FALSE(CFileSystem::getDocumentsFolder(folder)); // nothing configured, no ~/Documents

    mkdir((m_root + "/Documents").c_str(), 0777);
    ASSERT_TRUE(CFileSystem::getDocumentsFolder(folder));
    EXPECT_EQ(std::string(folder.c_str()), m_root + "/Documents");

    mkdir((m_root + "/Papers").c_str(), 0777);
    writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"");
    ASSERT_TRUE(CFileSystem::getDocumentsFolder(folder));
    EXPECT_EQ(std::string(folder.c_str()), m_root + "/Papers");

    writeUserDirs("XDG_DOCUMENTS_DIR=\"" + m_root + "/Papers\"");
    ASSERT_TRUE(CFileSystem::getDocumentsFolder(folder));
    EXPECT_EQ(std::string(folder.c_str()), m_root + "/Papers");

    // A folder that is not there, or the home folder itself, falls back.
    writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Gone\"");
    ASSERT_TRUE(CFileSystem::getDocumentsFolder(folder));
    EXPECT_EQ(std::string(folder.c_str()), m_root + "/Documents");
    writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"");
    ASSERT_TRUE(CFileSystem::getDocumentsFolder(folder));
    EXPECT_EQ(std::string(folder.c_str()), m_root + "/Documents");
}

TEST_F(DocumentsFolderTest, UserAliasFollowsTheDocumentsFolder)
{
    mkdir((m_root + "/Papers").c_str(), 0777);
    writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"");
    if (CFileUtils::hasAliasArray())
        CFileUtils::destroyAliasArray();
    CFileUtils::createAliasArray();
    std::string expected = m_root + "/Papers/" + IKernel::getApplicationName().c_str();
    EXPECT_EQ(std::string(CFileUtils::resolveAliases("$User").c_str()), expected);
    struct stat info;
    EXPECT_EQ(stat(expected.c_str(), &info), 0); // created
    CFileUtils::destroyAliasArray();

    // No documents folder at all: the temporary folder takes the user's files.
    writeUserDirs("");
    CFileUtils::createAliasArray();
    CString temp = CFileUtils::resolveAliases("$Temp");
    EXPECT_STREQ(CFileUtils::resolveAliases("$User").c_str(), (temp + IKernel::getApplicationName() + "/User").c_str());
    EXPECT_TRUE(CFileUtils::exists("$User"));
    CFileUtils::destroyAliasArray();
}

// Linux reads a leading "//" as "/": the pair is no network share here.
using FileTestSupport::AliasTest;

TEST_F(AliasTest, LeadingPairOfSeparatorsIsOneSeparator)
{
    EXPECT_STREQ(CFileName("//tmp//x.txt").getFullPath().c_str(), "\\tmp\\x.txt");
    EXPECT_STREQ(CFileName::toNativeFullPath("//tmp/x.txt").c_str(), "/tmp/x.txt");
}

// A file read from a folder others may write (the cache under /tmp) counts
// only when it is a plain file of this user's; a pipe put there must not
// hold the reader up.
TEST(OwnFileToReadTest, OnlyAPlainFileOfOursIsRead)
{
    CTempFolder folder;
    const std::string own = folder.file("own.txt");
    writeFile(own, "figure\n");
    ASSERT_EQ(symlink(own.c_str(), folder.file("link.txt").c_str()), 0);
    writeFile(folder.file("twice.txt"), "figure\n");
    ASSERT_EQ(link(folder.file("twice.txt").c_str(), folder.file("second-name.txt").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0666), 0);
    writeFile(folder.file("foreign.txt"), "figure\n");
    // Only root can give a file away; as another user the row reads as one of ours.
    bool foreign = geteuid() == 0 && chown(folder.file("foreign.txt").c_str(), 65534, 65534) == 0;
    const std::pair<const char*, bool> cases[] = {{"own.txt", false}, {"link.txt", true}, {"second-name.txt", true},
                                                 {"pipe", true}, {"missing.txt", true}, {"foreign.txt", foreign}};
    for (const auto& entry : cases)
    {
        FILE* file = CFileSystem::openOwnFileToRead(folder.file(entry.first).c_str());
        EXPECT_EQ(file == nullptr, entry.second) << entry.first;
        if (file)
            fclose(file);
    }
}
