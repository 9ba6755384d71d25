#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A key or character event of an engine window.
struct SWindowEvent
{
    static const uint32_t C_TYPE_INPUT = 101;

    uint32_t type = C_TYPE_INPUT;
    // Empty for key and character events.
    CString text;
    // The TKeyCode of a key event, the character code of a character event.
    uint32_t code = 0;
};

} // namespace Engine
} // namespace Tavrin
