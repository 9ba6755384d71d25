#include "Engine/IKernel/IKernel.h"

#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

// A program whose own folder is not writable sends its reports elsewhere.
TEST(IKernelReportFolder, TheLogGoesToTheChosenFolderInsteadOfTheExecutables)
{
    CKernelFactsGuard facts;
    CTempFolder reports;
    std::string folder = reports.path() + "/state/keyscout";
    IKernel::setReportFolder(folder.c_str());
    EXPECT_STREQ(IKernel::getReportFolder().c_str(), folder.c_str());
    IKernel::install();
    std::string chosen = folder + "/" + IKernel::getApplicationShortName().c_str() + "_log.txt";
    IKernel::uninstall();
    IKernel::setReportFolder(nullptr);
    EXPECT_STREQ(IKernel::getReportFolder().c_str(), IKernel::getExecutableFolder().c_str());

    EXPECT_NE(readText(chosen).find("IKernel uninstalled"), std::string::npos) << chosen;
}

} // namespace
