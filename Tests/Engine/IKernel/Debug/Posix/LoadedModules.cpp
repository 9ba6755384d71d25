#include "Engine/IKernel/Debug/LoadedModules.h"

#include <cstdio>
#include <dlfcn.h>
#include <cstring>
#include <filesystem>
#include <set>

namespace TavrinTests {

std::vector<std::string> listLoadedModules()
{
    // Every executable mapping of a file is an object's code.
    std::set<std::string> paths;
    if (FILE* maps = fopen("/proc/self/maps", "r"))
    {
        char line[4096];
        while (fgets(line, sizeof(line), maps))
        {
            char permissions[8] = {};
            char path[4096] = {};
            if (sscanf(line, "%*s %7s %*s %*s %*s %4095[^\n]", permissions, path) == 2 && permissions[2] == 'x' &&
                path[0] == '/')
                paths.insert(path);
        }
        fclose(maps);
    }
    return std::vector<std::string>(paths.begin(), paths.end());
}

bool isSameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

const char* getSpareLibraryName()
{
    return "libanl.so.1";
}

void* loadSpareLibrary()
{
    return dlopen(getSpareLibraryName(), RTLD_NOW | RTLD_LOCAL);
}

void unloadSpareLibrary(void* library)
{
    dlclose(library);
}

} // namespace TavrinTests
