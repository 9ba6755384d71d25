#pragma once

#include <string>
#include <vector>

namespace TavrinTests {

// Full paths of the executable and every library the process has loaded,
// from a source independent of the crash report's.
std::vector<std::string> listLoadedModules();

// Whether two paths name the same file.
bool isSameFile(const std::string& a, const std::string& b);

// A system library that the tests do not otherwise load: its file name, and
// loading and unloading it (null when it cannot be loaded).
const char* getSpareLibraryName();
void* loadSpareLibrary();
void unloadSpareLibrary(void* library);

} // namespace TavrinTests
