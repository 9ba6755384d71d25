#include "Engine/IRenderer/CWindowManager.h"
#include "Engine/IRenderer/Linux/CWindowSdl.h"

namespace Tavrin {
namespace Engine {

CWindow* createPlatformWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
{
    return new CWindowSdl(title, parentHandle, width, height, flags);
}

} // namespace Engine
} // namespace Tavrin
