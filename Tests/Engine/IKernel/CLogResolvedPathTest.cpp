#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/FileTestSupport.h"

#include <cstring>

using namespace Tavrin::Engine;
using namespace FileTestSupport;

namespace {

std::string readFile(const char* path)
{
    std::string text;
    FILE* file = fopen(path, "rb");
    if (!file)
        return text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return text;
}

} // namespace

TEST_F(AliasTest, ReopenLogUsesTheResolvedFullPath)
{
    bool owned = getLog() == nullptr;
    if (owned)
        installLog();
    std::string aliased = testPath("reopen_log.txt");
    reopenLog(aliased.c_str());
    CString expected = CFileSystem::toNativePath(CFileName(aliased.c_str()).getFullPath());
    EXPECT_STREQ(getLog()->getFileName(), expected.c_str());
    EXPECT_EQ(strchr(getLog()->getFileName(), '$'), nullptr);
    std::string text = readFile(expected.c_str());
    EXPECT_EQ(text.compare(0, 76, std::string(76, '=')), 0) << text;
    EXPECT_NE(text.find("Log file of '"), std::string::npos) << text;

    // A bare name joins the executable folder, then resolves like any other.
    char bare[64];
    snprintf(bare, sizeof(bare), "%u_bare_log.txt", CSystemServices::getCurrentProcessId());
    reopenLog(bare);
    CString joined = IKernel::getExecutableFolder() + "/" + bare;
    CString expectedBare = CFileSystem::toNativePath(CFileName(joined).getFullPath());
    EXPECT_STREQ(getLog()->getFileName(), expectedBare.c_str());
    EXPECT_FALSE(readFile(expectedBare.c_str()).empty());
    CFileSystem::removeFile(expectedBare);
    if (owned)
        uninstallLog();
}
