#include "Engine/IKernel/System/CSystem.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

namespace {

const char s_processorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

bool isAtLeast(void*, uint32_t major, uint32_t minor, uint32_t servicePack)
{
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    version.wServicePackMajor = static_cast<WORD>(servicePack);
    DWORDLONG mask = 0;
    mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, mask) != FALSE;
}

bool isServer()
{
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.wProductType = VER_NT_WORKSTATION;
    DWORDLONG mask = VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL);
    return VerifyVersionInfoW(&version, VER_PRODUCT_TYPE, mask) == FALSE;
}

} // namespace

CString CSystem::getLocalTimeText()
{
    SYSTEMTIME systemTime;
    FILETIME fileTime, localTime;
    WORD dosDate = 0, dosTime = 0;
    GetSystemTime(&systemTime);
    if (!SystemTimeToFileTime(&systemTime, &fileTime) || !FileTimeToLocalFileTime(&fileTime, &localTime) ||
        !FileTimeToDosDateTime(&localTime, &dosDate, &dosTime))
        return CString();
    return formatDosDateTime(dosDate, dosTime);
}

CString CSystem::getModuleFileName()
{
    char path[519];
    DWORD length = GetModuleFileNameA(nullptr, path, 518);
    if (length == 0)
        return CString("Unknown");
    // A longer path comes cut, and unterminated on older systems.
    path[length < 518 ? length : 518] = '\0';
    return CString(path);
}

CString CSystem::getUserLoginName()
{
    char name[199];
    DWORD size = 198;
    if (!GetUserNameA(name, &size))
        return CString("Unknown");
    name[198] = '\0';
    return CString(name);
}

CString CSystem::getOSName()
{
    static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the version record the table is tested with");
    return CString(selectWindowsName(isAtLeast, nullptr, isServer()));
}

uint32_t CSystem::getLogicalProcessorCount()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

uint32_t CSystem::getProcessorType()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwProcessorType;
}

void CSystem::getMemoryStatus(SMemoryStatus& status)
{
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof(memory);
    GlobalMemoryStatus(&memory);
    status.memoryLoad = memory.dwMemoryLoad;
    status.totalPhysical = memory.dwTotalPhys;
    status.availablePhysical = memory.dwAvailPhys;
    status.totalPageFile = memory.dwTotalPageFile;
    status.availablePageFile = memory.dwAvailPageFile;
    status.totalVirtual = memory.dwTotalVirtual;
    status.availableVirtual = memory.dwAvailVirtual;
}

CString CSystem::getRegistryCpuName()
{
    return getRegistryCpuName(s_processorKey);
}

CString CSystem::getRegistryCpuName(const char* source)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, source, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return getCpuBrandText();
    char name[261] = {};
    DWORD size = 260;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, "ProcessorNameString", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return getCpuBrandText();
    return CString(name);
}

} // namespace Engine
} // namespace Tavrin
