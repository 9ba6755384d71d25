#include "Engine/IKernel/System/CModuleManager.h"

#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include "PluginTestSupport.h"

using namespace Tavrin::Engine;
using namespace PluginTestSupport;

namespace {

class CPluginUnloadTest : public PluginTest
{
};

bool isLoaded(const CString& path)
{
    return isLibraryLoaded(CFileSystem::toNativePath(CFileUtils::resolveAliases(path)).c_str());
}

} // namespace

TEST_F(CPluginUnloadTest, PluginUnloadsItsLibrary)
{
    ASSERT_FALSE(isLoaded(testLibrary()));
    {
        CPlugin plugin(testLibrary());
        EXPECT_TRUE(isLoaded(testLibrary()));
    }
    EXPECT_FALSE(isLoaded(testLibrary()));
}

TEST_F(CPluginUnloadTest, ModuleManagerKeepsLibrariesUntilItIsDestroyed)
{
    CManagedPtr<CEngineModule> module = CManagedPtr<CEngineModule>::adopt(new CEngineModule(internName("TavrinTestPlugin")));
    {
        CModuleManager manager;
        ASSERT_TRUE(manager.registerModule(module.get(), false));
        EXPECT_TRUE(isLoaded(testLibrary()));
    }
    EXPECT_FALSE(isLoaded(testLibrary()));
}
