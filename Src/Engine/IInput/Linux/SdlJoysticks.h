#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IInput/SJoystickDescriptor.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Both assume that SDL's joystick and game-controller subsystems are running,
// started through CSdlLibrary (which lets joysticks read without focus).

// Appends every joystick SDL sees (name and a stable id), in SDL's device order.
void enumerateSdlJoysticks(CArray<SJoystickDescriptor>& out);
// Opens the joystick the descriptor's id names: a game controller as the XInput-like device, any other as the
// DirectInput-like one; nullptr (and a log line) when it is not there or cannot be opened. Not registered with
// any manager: the caller attaches it.
CJoystick* createSdlJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly);

} // namespace Engine
} // namespace Tavrin
