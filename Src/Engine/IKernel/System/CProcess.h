#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The facts and settings of the running process that the kernel install
// gathers and applies.
class CProcess
{
public:
    enum TPrecision
    {
        C_PRECISION_UNKNOWN,
        C_PRECISION_24,
        C_PRECISION_53,
        C_PRECISION_64
    };
    enum TRounding
    {
        C_ROUNDING_UNKNOWN,
        C_ROUNDING_NEAREST,
        C_ROUNDING_DOWN,
        C_ROUNDING_UP,
        C_ROUNDING_CHOP
    };

    // The command line split into arguments, as narrow strings.
    static void getArguments(CArray<CString>& arguments);
    static uint32_t getLogicalProcessorCount();
    // Full path of the executable; empty when the system cannot tell.
    static CString getExecutablePath();
    // The current directory as the log shows it: the system's own spelling.
    // Fails like CFileUtils::getCurrentDirectory.
    static CString getWorkingDirectory();
    // Decimal points in formatted numbers, whatever the user's locale says.
    static void setEnglishNumericLocale();
    static void setEnvironmentVariable(const char* name, const char* value);
    // Services only a windowed Windows process has; nothing elsewhere.
    static void initCommonControls();
    static void requestTimerResolution();
    // The floating-point control settings of the runtime, unchanged.
    static void getFloatingPointControl(TPrecision& precision, TRounding& rounding);
};

} // namespace Engine
} // namespace Tavrin
