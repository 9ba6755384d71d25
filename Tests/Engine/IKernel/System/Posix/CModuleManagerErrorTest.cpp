#include "Engine/IKernel/System/CModuleManager.h"

#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include "../PluginTestSupport.h"

using namespace Tavrin::Engine;
using namespace PluginTestSupport;
using FileTestSupport::LogCapture;

// Here the error box goes to standard error; a real one would wait for a
// user, so this case runs on this platform only.
namespace {

class CModuleManagerErrorTest : public PluginTest
{
};

} // namespace

TEST_F(CModuleManagerErrorTest, MissingRequiredModuleShowsTheError)
{
    LogCapture capture;
    CModuleManager manager;
    CManagedPtr<CEngineModule> module =
        CManagedPtr<CEngineModule>::adopt(new CEngineModule(internName("TavrinMissingModule")));
    EXPECT_FALSE(manager.registerModule(module.get(), false));
    // display logs the report before it shows it.
    EXPECT_NE(capture.text().find("Exception:\n"), std::string::npos);
    EXPECT_NE(capture.text().find("Could not load plugin '"), std::string::npos);
    EXPECT_EQ(module->getPlugin(), nullptr);
    EXPECT_EQ(manager.getModuleCount(), 0u);
}
