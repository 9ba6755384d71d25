#include "Engine/IKernel/Debug/LoadedModules.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>

namespace TavrinTests {

std::vector<std::string> listLoadedModules()
{
    std::vector<std::string> paths;
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof(modules), &bytes))
        return paths;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 1024; ++i)
    {
        char path[MAX_PATH];
        if (GetModuleFileNameExA(GetCurrentProcess(), modules[i], path, MAX_PATH))
            paths.push_back(path);
    }
    return paths;
}

bool isSameFile(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

const char* getSpareLibraryName()
{
    return "msimg32.dll";
}

void* loadSpareLibrary()
{
    return LoadLibraryA(getSpareLibraryName());
}

void unloadSpareLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}

} // namespace TavrinTests
