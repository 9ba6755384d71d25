#include "Engine/IRenderer/CWindowEventListener.h"

#include "Engine/IRenderer/CWindow.h"

namespace Tavrin {
namespace Engine {

void CWindowEventListener::onHeldInputReleased(CWindow* window, const CArray<TKeyCode>& codes)
{
    for (TKeyCode code : codes)
    {
        if (CWindow::isMouseButtonCode(static_cast<uint32_t>(code)))
        {
            onMouseButtonUp(window, static_cast<uint32_t>(code), 0, 0);
            continue;
        }
        SWindowEvent event;
        event.code = static_cast<uint32_t>(code);
        onKeyUp(window, event);
    }
}

} // namespace Engine
} // namespace Tavrin
