#include "Tools/Keyscout/Linux/ReportFolder.h"

#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string passwordHome()
{
    const passwd* entry = getpwuid(geteuid());
    return entry ? entry->pw_dir : "";
}

// Another user's folder: one handed to nobody when running as root, else the system's.
std::string foreignFolder(const TavrinTests::CTempFolder& scratch)
{
    std::string folder = geteuid() == 0 ? scratch.file("foreign") : "/usr";
    if (geteuid() == 0 && (!std::filesystem::create_directory(folder) || chown(folder.c_str(), 65534, 65534) != 0))
        ADD_FAILURE() << folder;
    return folder;
}

TEST(ReportFolderTest, StateFolderFollowsTheBaseDirectoryRules)
{
    TavrinTests::CTempFolder home;
    EXPECT_EQ(stateFolder("/x/state", home.path().c_str()), "/x/state/keyscout");
    // A relative XDG_STATE_HOME is ignored, as the rules say.
    EXPECT_EQ(stateFolder("state", home.path().c_str()), home.path() + "/.local/state/keyscout");
    EXPECT_EQ(stateFolder(nullptr, home.path().c_str()), home.path() + "/.local/state/keyscout");
    // Without a usable HOME, the password database's, never a shared folder;
    // nor another user's (sudo -E), nor one that is not there.
    ASSERT_FALSE(passwordHome().empty());
    for (const std::string& unusable : {std::string(), std::string("relative"), foreignFolder(home), home.file("none")})
        EXPECT_EQ(stateFolder(nullptr, unusable.empty() ? nullptr : unusable.c_str()),
                  passwordHome() + "/.local/state/keyscout")
            << unusable;
}

TEST(ReportFolderTest, OnlyProgramsInTheSystemsProgramFoldersCountAsInstalled)
{
    const struct
    {
        const char* path;
        bool installed;
    } cases[] = {{"/usr/bin/keyscout", true},          {"/usr/local/bin/keyscout", true},
                 {"/bin/keyscout", true},              {"/opt/keyscout/keyscout", true},
                 {"/home/u/build/keyscout", false},    {"/tmp/x/usr/bin/keyscout", false},
                 {"/usrlocal/keyscout", false},        {"keyscout", false}};
    for (const auto& c : cases)
        EXPECT_EQ(isInstalledProgram(c.path), c.installed) << c.path;
}

// The state folder and its missing parents are made private; a folder that
// cannot be made, or is not the user's own folder, is refused with a reason.
TEST(ReportFolderTest, StateFolderIsPrivateOrRefused)
{
    std::filesystem::path root = std::filesystem::temp_directory_path() / ("keyscout_state_" + std::to_string(getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "open");
    chmod((root / "open").c_str(), 0755);
    std::ofstream((root / "file").string()) << "a file\n";
    std::filesystem::create_directory_symlink(root / "open", root / "link");

    TavrinTests::CTempFolder scratch;
    const std::string foreign = foreignFolder(scratch);
    const std::string foreignRefusal = geteuid() == 0 ? "'" + foreign + "' is not a folder of the user's own"
                                                      : "'" + foreign + "/.local': Permission denied";
    const std::string made = (root / "state/deeper/keyscout").string();
    EXPECT_EQ(preparePrivateFolder(made), "");
    for (const std::string& folder : {(root / "state").string(), made})
        EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all) << folder;
    EXPECT_EQ(preparePrivateFolder((root / "open").string()), "");
    EXPECT_EQ(std::filesystem::status(root / "open").permissions(), std::filesystem::perms::owner_all);

    const struct
    {
        std::string folder;
        std::string reason;
    } refused[] = {{(root / "file/keyscout").string(), "'" + (root / "file/keyscout").string() + "': Not a directory"},
                   {(root / "link").string(), "'" + (root / "link").string() + "' is not a folder of the user's own"},
                   {foreign + "/.local/state", foreignRefusal},
                   {"", "no home folder"}};
    for (const auto& c : refused)
        EXPECT_EQ(preparePrivateFolder(c.folder), c.reason) << c.folder;
    EXPECT_FALSE(std::filesystem::exists(foreign + "/.local"));
    std::filesystem::remove_all(root);
}

} // namespace
