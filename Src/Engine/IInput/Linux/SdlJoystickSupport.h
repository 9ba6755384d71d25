#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// What the SDL joystick and game-controller devices share: the identifier
// that finds a device again after it was unplugged, and the value scales.

// "SDL:", the device's GUID string, "#" and how many devices before it in
// SDL's order share that GUID, so that twins keep apart.
CString makeSdlJoystickId(int deviceIndex);
// How many devices before this one in SDL's order share its GUID.
uint32_t countSdlJoystickTwins(int deviceIndex);
// Whether the identifier belongs to the SDL backend at all.
bool isSdlJoystickId(const CString& id);
// SDL's device index of an identifier, or -1 when nothing attached has it.
int findSdlJoystick(const CString& id);
// The same, for a device plugged in again (SDL gives it a new instance): -1
// also while something has it open, so two devices never read one pad.
int findReopenableSdlJoystick(const CString& id);
// An SDL axis value (-32768 to 32767) as a raw value in [-1, 1].
float scaleSdlAxis(int16_t value);

} // namespace Engine
} // namespace Tavrin
