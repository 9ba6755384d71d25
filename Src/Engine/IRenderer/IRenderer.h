#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CWindowManager;

// The renderer module, of which the engine windows are the part built here.
// Installs are counted: the first installs the kernel and the input module
// and creates the default window manager; the last undoes it all.
class IRenderer
{
public:
    static void install();
    // Throws CInvalidOperationException when the module is not installed.
    static void uninstall();
    static uint32_t getInstallCount() { return s_installCount; }
    // The manager the first install created; null while not installed.
    static CWindowManager* getWindowManager() { return s_windowManager; }

private:
    static uint32_t s_installCount;
    static CWindowManager* s_windowManager;
};

} // namespace Engine
} // namespace Tavrin
