#include "../PluginTestSupport.h"

#include <windows.h>

namespace PluginTestSupport {

bool isLibraryLoaded(const char* nativePath)
{
    // Asks the loader without loading or counting a reference.
    return GetModuleHandleA(nativePath) != nullptr;
}

} // namespace PluginTestSupport
