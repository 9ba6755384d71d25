#pragma once

#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The joystick axis (DirectInput's slot: 0 X, 1 Y, 2 Rx, 3 Ry, 4 Z, 5 Rz,
// 6 and 7 sliders) of each absolute axis of a device, given as evdev codes in
// SDL's axis order; -1 for an axis with no slot left (a third slider).
CArray<int32_t> placeEvdevAxes(const CArray<uint32_t>& codes);
// The same for a device whose axes are not known: SDL's index taken as the
// code order X, Y, Z, Rx, Ry, Rz, throttle, rudder.
CArray<int32_t> placeAxesByIndex(uint32_t count);

} // namespace Engine
} // namespace Tavrin
