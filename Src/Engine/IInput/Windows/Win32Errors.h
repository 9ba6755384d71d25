#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Logs which platform call failed, its result code and the system's text for
// it. DirectInput, XInput and COM results are HRESULTs; plain Win32 error
// codes go through logLastPlatformError.
void logPlatformError(const char* call, int32_t result);
// The calling thread's GetLastError, as an HRESULT, through logPlatformError.
void logLastPlatformError(const char* call);

} // namespace Engine
} // namespace Tavrin
