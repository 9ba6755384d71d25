#pragma once

#include <string>
#include <vector>

namespace TavrinTests {

// Full paths of the executable and every library the process has loaded,
// from a source independent of the crash report's.
std::vector<std::string> listLoadedModules();

// Whether two paths name the same file.
bool isSameFile(const std::string& a, const std::string& b);

} // namespace TavrinTests
