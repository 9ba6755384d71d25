#include "Engine/IRenderer/CNullWindow.h"
#include "Engine/IRenderer/CWindowManager.h"

namespace Tavrin {
namespace Engine {

// No window backend on this platform yet.
CWindow* createPlatformWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
{
    return new CNullWindow(title, parentHandle, width, height, flags);
}

} // namespace Engine
} // namespace Tavrin
