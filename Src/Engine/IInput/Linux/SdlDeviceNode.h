#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// What a joystick's input device node tells about the device itself.
struct SSdlDeviceNode
{
    // The device's unique id (usually its serial), empty when it has none.
    CString serial;
    // Its absolute axes as evdev codes, in code order, hats left out: the
    // axes SDL numbers, in SDL's order.
    CArray<uint32_t> absoluteAxes;
};

// False when path is not an input device node that can be read.
bool readSdlDeviceNode(const char* path, SSdlDeviceNode& out);

} // namespace Engine
} // namespace Tavrin
