#include "Engine/IRenderer/CWindowManager.h"
#include "Engine/IRenderer/Windows/CWindowWin32.h"

namespace Tavrin {
namespace Engine {

CWindow* createPlatformWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
{
    return new CWindowWin32(title, parentHandle, width, height, flags);
}

} // namespace Engine
} // namespace Tavrin
