#include "Engine/IKernel/System/CPlugin.h"

#include "PluginTestSupport.h"

using namespace Tavrin::Engine;
using namespace PluginTestSupport;
using FileTestSupport::expectException;

namespace {

class CPluginTest : public PluginTest
{
};

} // namespace

TEST_F(CPluginTest, LoadsTheLibraryAndFindsItsEntryPoints)
{
    CPlugin plugin(testLibrary());
    EXPECT_TRUE(plugin.isLoaded());
    TIntFunction answer = reinterpret_cast<TIntFunction>(plugin.getProcAddress("tavrinTestPluginAnswer", true));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    // The library keeps its state between lookups and calls.
    TIntFunction count = reinterpret_cast<TIntFunction>(plugin.getProcAddress("tavrinTestPluginCount", false));
    ASSERT_NE(count, nullptr);
    int first = count();
    EXPECT_EQ(reinterpret_cast<TIntFunction>(plugin.getProcAddress("tavrinTestPluginCount", true))(), first + 1);
}

TEST_F(CPluginTest, NameIsTheGivenPathInUtf8)
{
    CPlugin plugin(testLibrary());
    CString name = plugin.getName();
    EXPECT_STREQ(name.c_str(), testLibrary().c_str());
    EXPECT_EQ(name.getUTF8(), 1u);
}

TEST_F(CPluginTest, MissingEntryPointIsNullOrThrowsWhenRequired)
{
    CPlugin plugin(testLibrary());
    EXPECT_EQ(plugin.getProcAddress("noSuchEntryPoint", false), nullptr);
    EXPECT_EQ(plugin.getProcAddress(nullptr, false), nullptr);
    CString details = "Could not find creation procedure entry point in '" + testLibrary() + "'\n";
    expectException<CNotFoundException>([&] { plugin.getProcAddress("noSuchEntryPoint", true); }, details.c_str(), "Engine/IKernel/System/CPlugin", 67);
    // The library stays usable.
    EXPECT_NE(plugin.getProcAddress("tavrinTestPluginAnswer", true), nullptr);
}

TEST_F(CPluginTest, MissingLibraryThrowsWithTheCurrentDirectory)
{
    const CString paths[] = {libraryPath("NoSuchPlugin"), CString("$Unknown/NoSuchPlugin.bin"), CString("")};
    for (const CString& path : paths)
    {
        CString details = "Could not load plugin '" + CFileUtils::getCurrentDirectory() + path + "'\n";
        expectException<CNotFoundException>([&] { CPlugin plugin(path); }, details.c_str(), "Engine/IKernel/System/CPlugin", 28);
    }
}

TEST_F(CPluginTest, AFileThatIsNoLibraryIsNotLoaded)
{
    std::string path = testPath("NotALibrary.bin");
    FILE* file = fopen(CFileSystem::toNativePath(CFileUtils::resolveAliases(path.c_str())).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("this is plain text, not a library", file);
    fclose(file);
    EXPECT_THROW(CPlugin plugin(path.c_str()), CNotFoundException);
}
