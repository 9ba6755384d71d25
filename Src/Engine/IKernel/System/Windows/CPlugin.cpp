#include "Engine/IKernel/System/CPlugin.h"

#include "Engine/IKernel/CLog.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

const char* CPlugin::getLibrarySuffix()
{
    return ".dll";
}

void* CPlugin::_loadLibrary(const CString& nativePath)
{
    HMODULE module = LoadLibraryA(nativePath.c_str());
    if (!module)
        logLastError();
    return reinterpret_cast<void*>(module);
}

void CPlugin::_unloadLibrary(void* module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}

void* CPlugin::_findSymbol(void* module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

} // namespace Engine
} // namespace Tavrin
