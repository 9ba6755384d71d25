#pragma once

#include <windows.h>
#include <xinput.h>

namespace Tavrin {
namespace Engine {

// The XInput calls the input module makes, gathered so that tests can hand
// in scripted controllers.
struct SXInputEntryPoints
{
    DWORD(WINAPI* getState)(DWORD userIndex, XINPUT_STATE* state);
    DWORD(WINAPI* setState)(DWORD userIndex, XINPUT_VIBRATION* vibration);
};

// XInput 9.1.0 of the system.
const SXInputEntryPoints& getSystemXInput();

} // namespace Engine
} // namespace Tavrin
