#pragma once

#include "Engine/IKernel/Types/CString.h"

namespace Tavrin {
namespace Engine {

// One joystick that the input manager can open.
struct SJoystickDescriptor
{
    // Shown to the user.
    CString name;
    // A backend word, a colon and a key; what createJoystick reads.
    CString id;
};

} // namespace Engine
} // namespace Tavrin
