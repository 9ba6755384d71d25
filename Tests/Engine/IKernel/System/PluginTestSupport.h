#pragma once

#include "FileTestSupport.h"

#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CPlugin.h"

#include <string>

namespace PluginTestSupport {

using namespace Tavrin::Engine;

// The alias table with "$Exe" naming the test program's real folder, where
// the build puts the test plug-in library.
class PluginTest : public FileTestSupport::AliasTest
{
protected:
    void SetUp() override
    {
        AliasTest::SetUp();
        CString folder = CFileName(CFileSystem::getExecutablePath()).getDirectory();
        CFileUtils::addAlias("Exe", folder.left(folder.getLength() - 1));
    }

    // "$Exe/<name><suffix>"
    static CString libraryPath(const char* name) { return CString("$Exe/") + name + CPlugin::getLibrarySuffix(); }
    static CString testLibrary() { return libraryPath("TavrinTestPlugin"); }
};

typedef int (*TIntFunction)();

// Whether the process holds the library, asked of the system's loader.
bool isLibraryLoaded(const char* nativePath);

} // namespace PluginTestSupport
