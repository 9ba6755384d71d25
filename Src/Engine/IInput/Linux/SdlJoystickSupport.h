#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <SDL_joystick.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// What the SDL joystick and game-controller devices share: the identifier
// that names one physical device for as long as the program runs, the axis
// layout and the value scales.

// "SDL:", the device's GUID string, "#" and its twin number: 0 for the first
// device of its model seen, 1 for the second, kept while it is unplugged and
// given back when it returns (see CSdlJoystickIdentities).
CString makeSdlJoystickId(int deviceIndex);
// The twin number in that identifier.
uint32_t getSdlJoystickTwin(int deviceIndex);
// Whether the identifier belongs to the SDL backend at all.
bool isSdlJoystickId(const CString& id);
// SDL's device index of an identifier, or -1 when nothing attached has it.
int findSdlJoystick(const CString& id);
// The same, for a device plugged in again (SDL gives it a new instance): -1
// also while something has it open, so two devices never read one pad.
int findReopenableSdlJoystick(const CString& id);
// The joystick axis slot of each of SDL's axes of an open joystick: by the
// axes its device node has, or by SDL's index for a device without one.
CArray<int32_t> placeSdlJoystickAxes(SDL_Joystick* joystick);
// An SDL axis value (-32768 to 32767) as a raw value in [-1, 1].
float scaleSdlAxis(int16_t value);

} // namespace Engine
} // namespace Tavrin
