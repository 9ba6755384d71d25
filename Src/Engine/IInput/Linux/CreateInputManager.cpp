#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/Linux/CSdlInputManager.h"

namespace Tavrin {
namespace Engine {

// SDL's parts start at their first use: without a display the manager then
// says so, with SDL's reason, and reads neither keys from nowhere nor
// joysticks.
CManagedPtr<CInputManager> createInputManager()
{
    return CManagedPtr<CInputManager>::adopt(new CSdlInputManager());
}

} // namespace Engine
} // namespace Tavrin
