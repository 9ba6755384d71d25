#include "Engine/IKernel/System/CPlugin.h"

#include "Engine/IKernel/CLog.h"

#include <dlfcn.h>

namespace Tavrin {
namespace Engine {

const char* CPlugin::getLibrarySuffix()
{
    return ".so";
}

void* CPlugin::_loadLibrary(const CString& nativePath)
{
    // Resolved at once, so that a library with a missing dependency fails
    // here and not at the first call into it.
    void* module = dlopen(nativePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
    {
        const char* reason = dlerror();
        log("Cannot load library: %s\n", reason ? reason : "unknown reason");
    }
    return module;
}

void CPlugin::_unloadLibrary(void* module)
{
    dlclose(module);
}

void* CPlugin::_findSymbol(void* module, const char* name)
{
    return dlsym(module, name);
}

} // namespace Engine
} // namespace Tavrin
