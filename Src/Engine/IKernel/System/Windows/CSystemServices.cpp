#include "Engine/IKernel/System/CSystemServices.h"

#include <windows.h>
#include <psapi.h>

namespace Tavrin {
namespace Engine {

uint64_t CSystemServices::getWorkingSetBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return counters.WorkingSetSize;
}

uint64_t CSystemServices::getAvailablePhysicalBytes()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return 0;
    return status.ullAvailPhys;
}

void CSystemServices::debugOutput(const char* text)
{
    OutputDebugStringA(text);
}

int32_t CSystemServices::getLastError()
{
    return static_cast<int32_t>(GetLastError());
}

void CSystemServices::setLastError(int32_t code)
{
    SetLastError(static_cast<DWORD>(code));
}

char* CSystemServices::getErrorText(int32_t code)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
                   nullptr);
    return text;
}

void CSystemServices::freeErrorText(char* text)
{
    if (text)
        LocalFree(text);
}

uint32_t CSystemServices::getCurrentThreadId()
{
    return GetCurrentThreadId();
}

uint32_t CSystemServices::getCurrentProcessId()
{
    return GetCurrentProcessId();
}

void* CSystemServices::getCurrentProcessHandle()
{
    return GetCurrentProcess();
}

void* CSystemServices::getCurrentThreadHandle()
{
    return GetCurrentThread();
}

CString CSystemServices::getBootIdentity()
{
    // Windows names no boot: its start time stands in, to the nearest minute,
    // since the two readings below are not taken at one instant. A boot that
    // began near a half minute may read either way; a cache keyed by it then
    // misses once more, nothing worse.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // FILETIME counts 100 ns ticks.
    uint64_t boot = ticks - GetTickCount64() * 10000ull;
    const uint64_t minute = 60ull * 10000000ull;
    CString identity;
    identity.format("%llu", static_cast<unsigned long long>((boot + minute / 2) / minute));
    return identity;
}

bool showMessageBox(void* ownerWindow, const char* text, const char* caption)
{
    return MessageBoxA(static_cast<HWND>(ownerWindow), text, caption,
                       MB_OK | MB_SYSTEMMODAL | MB_SETFOREGROUND | MB_TOPMOST) == IDOK;
}

} // namespace Engine
} // namespace Tavrin
