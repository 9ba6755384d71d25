#include "Engine/IKernel/System/CProcess.h"

#include "Engine/IKernel/System/CFileUtils.h"

#include <windows.h>
#include <commctrl.h>
#include <float.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <clocale>
#include <cstdlib>

namespace Tavrin {
namespace Engine {

void CProcess::getArguments(CArray<CString>& arguments)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return;
    for (int i = 0; i < count; ++i)
    {
        size_t converted = 0;
        size_t size = wcslen(wide[i]) * 4 + 1;
        char* narrow = static_cast<char*>(malloc(size));
        if (wcstombs_s(&converted, narrow, size, wide[i], _TRUNCATE) != 0)
            narrow[0] = '\0';
        arguments.add(CString(narrow));
        free(narrow);
    }
    LocalFree(wide);
}

uint32_t CProcess::getLogicalProcessorCount()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

CString CProcess::getExecutablePath()
{
    char path[1024];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    // A truncated path is not a path: report none rather than a wrong one.
    if (length == 0 || length >= sizeof(path))
        return CString();
    return CString(path);
}

// The engine's form is the system's, with the closing "\\" the log has always shown.
CString CProcess::getWorkingDirectory()
{
    return CFileUtils::getCurrentDirectory();
}

void CProcess::setEnglishNumericLocale()
{
    setlocale(LC_NUMERIC, "English");
}

void CProcess::setEnvironmentVariable(const char* name, const char* value)
{
    SetEnvironmentVariableA(name, value);
}

void CProcess::initCommonControls()
{
    InitCommonControls();
}

void CProcess::requestTimerResolution()
{
    timeBeginPeriod(1);
}

void CProcess::getFloatingPointControl(TPrecision& precision, TRounding& rounding)
{
    unsigned int control = 0;
    _controlfp_s(&control, 0, 0);
    switch (control & _MCW_PC)
    {
    case _PC_64: precision = C_PRECISION_64; break;
    case _PC_53: precision = C_PRECISION_53; break;
    case _PC_24: precision = C_PRECISION_24; break;
    default: precision = C_PRECISION_UNKNOWN; break;
    }
    switch (control & _MCW_RC)
    {
    case _RC_NEAR: rounding = C_ROUNDING_NEAREST; break;
    case _RC_DOWN: rounding = C_ROUNDING_DOWN; break;
    case _RC_UP: rounding = C_ROUNDING_UP; break;
    case _RC_CHOP: rounding = C_ROUNDING_CHOP; break;
    default: rounding = C_ROUNDING_UNKNOWN; break;
    }
}

} // namespace Engine
} // namespace Tavrin
