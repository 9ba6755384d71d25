#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/CNullInputManager.h"

namespace Tavrin {
namespace Engine {

// No joystick or mouse backend on this platform yet.
CManagedPtr<CInputManager> createInputManager()
{
    return CManagedPtr<CInputManager>::adopt(new CNullInputManager());
}

} // namespace Engine
} // namespace Tavrin
