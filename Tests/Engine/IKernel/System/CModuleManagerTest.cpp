#include "Engine/IKernel/System/CModuleManager.h"

#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/System/CPlugin.h"
#include "PluginTestSupport.h"

using namespace Tavrin::Engine;
using namespace PluginTestSupport;
using FileTestSupport::expectException;
using FileTestSupport::LogCapture;

namespace {

// A module whose initialise asks its library for an entry point; counts its
// own destruction.
class CTestModule : public CEngineModule
{
public:
    CTestModule(const char* typeName, const CString& path, const char* entryPoint, int* destroyed = nullptr)
        : CEngineModule(internName(typeName), path), m_entryPoint(entryPoint), m_destroyed(destroyed)
    {
    }
    ~CTestModule() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }

    bool initialise() override
    {
        ++initialiseCalls;
        TIntFunction function = reinterpret_cast<TIntFunction>(getPlugin()->getProcAddress(m_entryPoint, true));
        answer = function();
        return answer == 42;
    }

    int initialiseCalls = 0;
    int answer = 0;

private:
    const char* m_entryPoint;
    int* m_destroyed;
};

class CModuleManagerTest : public PluginTest
{
};

} // namespace

TEST_F(CModuleManagerTest, ModuleWithoutPathLoadsTheDefaultLibrary)
{
    EXPECT_STREQ(CModuleManager::getDefaultPath(internName("X")).c_str(),
                 (CString("$Exe/X") + CPlugin::getLibrarySuffix()).c_str());

    CModuleManager manager;
    CManagedPtr<CTestModule> module =
        CManagedPtr<CTestModule>::adopt(new CTestModule("TavrinTestPlugin", CString(), "tavrinTestPluginAnswer"));
    EXPECT_TRUE(manager.registerModule(module.get(), false));
    EXPECT_STREQ(module->getPath().c_str(), testLibrary().c_str());
    ASSERT_NE(module->getPlugin(), nullptr);
    EXPECT_TRUE(module->getPlugin()->isLoaded());
    EXPECT_EQ(module->answer, 42);
    // The manager holds a reference of its own.
    EXPECT_EQ(module->getReferenceCount(), 2u);
    EXPECT_EQ(manager.findModule(internName("TavrinTestPlugin")), module);
    EXPECT_EQ(manager.findModule(internName("Other")), nullptr);
    EXPECT_EQ(manager.getModuleCount(), 1u);
}

TEST_F(CModuleManagerTest, SameTypeAndPathTwiceLoadsOnce)
{
    CModuleManager manager;
    CManagedPtr<CTestModule> first =
        CManagedPtr<CTestModule>::adopt(new CTestModule("TavrinTestPlugin", CString(), "tavrinTestPluginAnswer"));
    CManagedPtr<CTestModule> second =
        CManagedPtr<CTestModule>::adopt(new CTestModule("tavrintestplugin", testLibrary(), "tavrinTestPluginAnswer"));
    EXPECT_TRUE(manager.registerModule(first.get(), false));
    EXPECT_TRUE(manager.registerModule(first.get(), false));
    EXPECT_TRUE(manager.registerModule(second.get(), false));
    EXPECT_EQ(first->initialiseCalls, 1);
    EXPECT_EQ(second->initialiseCalls, 0);
    EXPECT_EQ(second->getPlugin(), nullptr);
    EXPECT_EQ(manager.getModuleCount(), 1u);
    EXPECT_EQ(first->getReferenceCount(), 2u);
    EXPECT_EQ(second->getReferenceCount(), 1u);
}

TEST_F(CModuleManagerTest, SameTypeFromAnotherLibraryThrows)
{
    CModuleManager manager;
    CManagedPtr<CTestModule> first =
        CManagedPtr<CTestModule>::adopt(new CTestModule("TavrinTestPlugin", CString(), "tavrinTestPluginAnswer"));
    CManagedPtr<CTestModule> other =
        CManagedPtr<CTestModule>::adopt(new CTestModule("TavrinTestPlugin", libraryPath("Elsewhere"), "x"));
    ASSERT_TRUE(manager.registerModule(first.get(), false));
    expectException<CInvalidArgumentException>([&] { manager.registerModule(other.get(), true); }, "A .DLL has already been registered as a module type with the same name !\n", "Engine/IKernel/System/CModuleManager", 102);
    EXPECT_EQ(manager.getModuleCount(), 1u);
    EXPECT_EQ(manager.findModule(internName("TavrinTestPlugin")), first);
}

TEST_F(CModuleManagerTest, MissingOptionalModuleIsLoggedAndSkipped)
{
    LogCapture capture;
    CModuleManager manager;
    CManagedPtr<CTestModule> module =
        CManagedPtr<CTestModule>::adopt(new CTestModule("TavrinMissingModule", CString(), "x"));
    EXPECT_FALSE(manager.registerModule(module.get(), true));
    std::string expected = "Failed to register module " + std::string(libraryPath("TavrinMissingModule").c_str()) +
                           ": file does not exist\n";
    EXPECT_EQ(capture.text(), expected);
    EXPECT_EQ(module->initialiseCalls, 0);
    EXPECT_EQ(manager.getModuleCount(), 0u);
    EXPECT_EQ(module->getReferenceCount(), 1u);
}

TEST_F(CModuleManagerTest, ModuleWhoseInitialiseFailsIsNotRegistered)
{
    LogCapture capture;
    CModuleManager manager;
    int destroyed = 0;
    // initialise throws: the required entry point is missing (optional, so
    // no error box).
    CManagedPtr<CTestModule> missingEntry = CManagedPtr<CTestModule>::adopt(
        new CTestModule("TavrinTestPlugin", CString(), "noSuchEntryPoint", &destroyed));
    EXPECT_FALSE(manager.registerModule(missingEntry.get(), true));
    EXPECT_EQ(missingEntry->getPlugin(), nullptr);
    EXPECT_EQ(capture.text().find("Exception:\n"), std::string::npos);
    // initialise answers false.
    CManagedPtr<CTestModule> refused = CManagedPtr<CTestModule>::adopt(
        new CTestModule("TavrinTestPlugin", CString(), "tavrinTestPluginCount", &destroyed));
    EXPECT_FALSE(manager.registerModule(refused.get(), false));
    EXPECT_EQ(refused->initialiseCalls, 1);
    EXPECT_EQ(refused->getPlugin(), nullptr);

    EXPECT_EQ(manager.getModuleCount(), 0u);
    // Refused modules stay with their creators' references.
    EXPECT_EQ(destroyed, 0);
    missingEntry.reset();
    refused.reset();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(CModuleManagerTest, DestroyingTheManagerUnloadsAndReleasesEveryModule)
{
    int destroyed = 0;
    CManagedPtr<CTestModule> kept =
        CManagedPtr<CTestModule>::adopt(new CTestModule("TavrinTestPlugin", CString(), "tavrinTestPluginAnswer"));
    CModuleManager* manager = new CModuleManager();
    CModuleManager* before = CModuleManager::getCurrent();
    CModuleManager::setCurrent(manager);
    ASSERT_TRUE(manager->registerModule(kept.get(), false));
    {
        // Given over entirely: only the manager keeps this one alive.
        CTestModule* given = new CTestModule("TavrinSecondModule", testLibrary(), "tavrinTestPluginAnswer", &destroyed);
        ASSERT_TRUE(manager->registerModule(given, false));
        given->release();
    }
    EXPECT_EQ(manager->getModuleCount(), 2u);
    delete manager;
    EXPECT_EQ(CModuleManager::getCurrent(), nullptr);
    CModuleManager::setCurrent(before);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(kept->getPlugin(), nullptr);
    EXPECT_EQ(kept->getReferenceCount(), 1u);
}
