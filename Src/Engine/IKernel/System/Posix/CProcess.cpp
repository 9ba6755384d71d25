#include "Engine/IKernel/System/CProcess.h"

#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace Tavrin {
namespace Engine {

void CProcess::getArguments(CArray<CString>& arguments)
{
    // NUL-separated arguments, exactly as the process received them.
    FILE* file = fopen("/proc/self/cmdline", "rb");
    if (!file)
        return;
    char chunk[256];
    size_t read;
    CArray<char> bytes;
    while ((read = fread(chunk, 1, sizeof(chunk), file)) > 0)
        for (size_t i = 0; i < read; ++i)
            bytes.add(chunk[i]);
    fclose(file);
    uint64_t start = 0;
    for (uint64_t i = 0; i < bytes.getCount(); ++i)
    {
        if (bytes[i] != '\0')
            continue;
        arguments.add(CString(&bytes[start]));
        start = i + 1;
    }
}

uint32_t CProcess::getLogicalProcessorCount()
{
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<uint32_t>(count) : 1;
}

CString CProcess::getExecutablePath()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return CString();
    path[length] = '\0';
    return CString(path);
}

// The engine's form ends with its own "\\", which names no folder here: the
// system's answer is shown as it is.
CString CProcess::getWorkingDirectory()
{
    CString directory;
    if (CFileSystem::readCurrentDirectory(directory) == CFileSystem::C_DIRECTORY_READ)
        return directory;
    // Unreadable: fail as the engine's form does.
    return CFileUtils::getCurrentDirectory();
}

void CProcess::setEnglishNumericLocale()
{
    // Locale names differ here; the C locale has the decimal point.
    setlocale(LC_NUMERIC, "C");
}

void CProcess::setEnvironmentVariable(const char* name, const char* value)
{
    setenv(name, value, 1);
}

void CProcess::initCommonControls()
{
}

void CProcess::requestTimerResolution()
{
}

void CProcess::getFloatingPointControl(TPrecision& precision, TRounding& rounding)
{
    // The x87 control word: precision in bits 8-9, rounding in bits 10-11.
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    static const TPrecision precisions[4] = {C_PRECISION_24, C_PRECISION_UNKNOWN, C_PRECISION_53, C_PRECISION_64};
    static const TRounding roundings[4] = {C_ROUNDING_NEAREST, C_ROUNDING_DOWN, C_ROUNDING_UP, C_ROUNDING_CHOP};
    precision = precisions[(control >> 8) & 3];
    rounding = roundings[(control >> 10) & 3];
}

} // namespace Engine
} // namespace Tavrin
