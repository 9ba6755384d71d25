#include "Engine/IKernel/IKernel.h"

#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

TEST(IKernel, ExecutablePathGivesFolderFileAndShortName)
{
    struct SPathCase
    {
        const char* fullPath;
        const char* currentDirectory;
        const char* fileName;
        const char* folder;
        const char* path;
        const char* shortName;
    };
    const SPathCase cases[] = {
        {"C:\\Games\\Keyscout\\keyscout.exe", "C:\\", "keyscout.exe", "C:\\Games\\Keyscout",
         "C:\\Games\\Keyscout\\keyscout.exe", "keyscout"},
        {"/opt/tavrin/keyscout", "/", "keyscout", "/opt/tavrin", "/opt/tavrin/keyscout", "keyscout"},
        // The last backslash wins over any slash.
        {"C:\\a/b\\c/d.x.exe", "C:\\", "c/d.x.exe", "C:\\a/b", "C:\\a/b\\c/d.x.exe", "c/d.x"},
        {"/data.v2/tool", "/", "tool", "/data.v2", "/data.v2/tool", "tool"},
        {"tool.exe", "/work", "tool.exe", "/work", "/work/tool.exe", "tool"},
        // The current directory's trailing separator is not part of the folder's name.
        {"tool.exe", "/work/", "tool.exe", "/work", "/work/tool.exe", "tool"},
        {"tool", "C:\\work\\", "tool", "C:\\work", "C:\\work/tool", "tool"},
        {"tool", "/", "tool", "/", "//tool", "tool"},
        {"", "/work", "", "/work", "/work/", ""},
    };
    CKernelFactsGuard guard;
    for (const SPathCase& pathCase : cases)
    {
        IKernel::setExecutablePath(pathCase.fullPath, pathCase.currentDirectory);
        EXPECT_STREQ(IKernel::getExecutableFileName().c_str(), pathCase.fileName) << pathCase.fullPath;
        EXPECT_STREQ(IKernel::getExecutableFolder().c_str(), pathCase.folder) << pathCase.fullPath;
        EXPECT_STREQ(IKernel::getExecutablePath().c_str(), pathCase.path) << pathCase.fullPath;
        EXPECT_STREQ(IKernel::getApplicationShortName().c_str(), pathCase.shortName) << pathCase.fullPath;
        EXPECT_STREQ(IKernel::getApplicationName().c_str(), pathCase.shortName) << pathCase.fullPath;
    }
}

} // namespace
