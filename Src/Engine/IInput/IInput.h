#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The input module. Installs are counted: the first installs the kernel, the
// last uninstall shuts it down again.
class IInput
{
public:
    static void install();
    // Throws CInvalidOperationException when the module is not installed.
    static void uninstall();
    static uint32_t getInstallCount() { return s_installCount; }

private:
    static uint32_t s_installCount;
};

} // namespace Engine
} // namespace Tavrin
