#include "Engine/IKernel/System/CModuleManager.h"

#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include "../PluginTestSupport.h"

#include <dlfcn.h>

using namespace Tavrin::Engine;
using namespace PluginTestSupport;

namespace {

class CPluginUnloadTest : public PluginTest
{
protected:
    // Asks the loader without loading (the probe's own reference is dropped).
    static bool isLoaded(const CString& path)
    {
        CString native = CFileSystem::toNativePath(CFileUtils::resolveAliases(path));
        void* module = dlopen(native.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (module)
            dlclose(module);
        return module != nullptr;
    }
};

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
