#include "../PluginTestSupport.h"

#include <dlfcn.h>

namespace PluginTestSupport {

bool isLibraryLoaded(const char* nativePath)
{
    // RTLD_NOLOAD asks without loading; the probe's own reference is dropped.
    void* module = dlopen(nativePath, RTLD_NOW | RTLD_NOLOAD);
    if (module)
        dlclose(module);
    return module != nullptr;
}

} // namespace PluginTestSupport
