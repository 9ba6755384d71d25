#include "Engine/IInput/Windows/SXInputEntryPoints.h"

namespace Tavrin {
namespace Engine {

const SXInputEntryPoints& getSystemXInput()
{
    static const SXInputEntryPoints s_system = {&XInputGetState, &XInputSetState};
    return s_system;
}

} // namespace Engine
} // namespace Tavrin
