#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/CNullInputManager.h"
#include "Engine/IInput/Linux/CSdlInputManager.h"
#include "Engine/IKernel/CLog.h"

namespace Tavrin {
namespace Engine {

CManagedPtr<CInputManager> createInputManager()
{
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CSdlInputManager());
    if (static_cast<CSdlInputManager*>(manager.get())->isReady())
        return manager;
    // Without a display SDL has no keyboard or mouse to offer; the program
    // still runs, with keys from nowhere and no joysticks.
    logLevel(2, "Warning: SDL input is not available; no mouse or joystick will be read\n");
    return CManagedPtr<CInputManager>::adopt(new CNullInputManager());
}

} // namespace Engine
} // namespace Tavrin
