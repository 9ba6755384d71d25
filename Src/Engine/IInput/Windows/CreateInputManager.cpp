#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/Windows/CWin32InputManager.h"

namespace Tavrin {
namespace Engine {

CManagedPtr<CInputManager> createInputManager()
{
    return CManagedPtr<CInputManager>::adopt(new CWin32InputManager());
}

} // namespace Engine
} // namespace Tavrin
