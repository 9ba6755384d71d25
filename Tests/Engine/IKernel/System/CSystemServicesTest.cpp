#include "Engine/IKernel/System/CSystemServices.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

TEST(CSystemServices, MemoryFiguresAndIdentifiers)
{
    uint64_t workingSet = CSystemServices::getWorkingSetBytes();
    uint64_t available = CSystemServices::getAvailablePhysicalBytes();
    EXPECT_GT(workingSet, 1024u * 1024u);
    EXPECT_GT(available, 1024u * 1024u);
    EXPECT_NE(CSystemServices::getCurrentProcessId(), 0u);
    EXPECT_NE(CSystemServices::getCurrentThreadId(), 0u);
}

TEST(CSystemServices, LastErrorAndItsText)
{
    CSystemServices::setLastError(5);
    EXPECT_EQ(CSystemServices::getLastError(), 5);
    CSystemServices::setLastError(0);
    char* text = CSystemServices::getErrorText(2);
    ASSERT_NE(text, nullptr);
    EXPECT_GT(strlen(text), 2u);
    EXPECT_EQ(text[strlen(text) - 1], '\n');
    CSystemServices::freeErrorText(text);
}

TEST(CSystem, DiskSpaceOfTheExecutableFolder)
{
    CKernelFactsGuard guard;
    CTempFolder folder;
    std::string exe = folder.file("tool.exe");
    IKernel::setExecutablePath(exe.c_str(), folder.path().c_str());
    float free = CSystem::getFreeDiskSpaceMb();
    float total = CSystem::getTotalDiskSpaceMb();
    EXPECT_GT(total, 1.0f);
    EXPECT_GT(free, 0.0f);
    EXPECT_LE(free, total);

    // A drive that does not exist (a relative path that does not exist here).
    IKernel::setExecutablePath("Q:\\no such folder\\tool.exe", folder.path().c_str());
    EXPECT_EQ(CSystem::getFreeDiskSpaceMb(), 0.0f);
    EXPECT_EQ(CSystem::getTotalDiskSpaceMb(), 0.0f);
}

} // namespace
