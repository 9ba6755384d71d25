#include "Engine/IInput/Windows/Win32Errors.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

void logPlatformError(const char* call, int32_t result)
{
    HRESULT code = static_cast<HRESULT>(result);
    log("### %s failed: 0x%08X ###\n", call, static_cast<unsigned>(code));
    // The system's message table knows wrapped Win32 codes by their low word
    // only; DirectInput's own codes mostly are such wrapped codes.
    int32_t lookup = HRESULT_FACILITY(code) == FACILITY_WIN32 ? HRESULT_CODE(code) : code;
    char* text = CSystemServices::getErrorText(lookup);
    if (text)
        log("%s", text);
    CSystemServices::freeErrorText(text);
}

void logLastPlatformError(const char* call)
{
    DWORD error = GetLastError();
    logPlatformError(call, static_cast<int32_t>(HRESULT_FROM_WIN32(error)));
}

} // namespace Engine
} // namespace Tavrin
