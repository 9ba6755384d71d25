#include "Engine/IKernel/System/Posix/CSystemPosix.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace Tavrin {
namespace Engine {

namespace {

// Text after "key" and the separators that follow it on a line of the
// file, without the line's end; empty when no line starts with the key.
CString readField(const char* path, const char* key, const char* separators)
{
    FILE* file = fopen(path, "r");
    if (!file)
        return CString();
    char line[1024];
    size_t keyLength = strlen(key);
    CString value;
    while (fgets(line, sizeof(line), file))
    {
        if (strncmp(line, key, keyLength) != 0 || !strchr(separators, line[keyLength]))
            continue;
        char* text = line + keyLength;
        text += strspn(text, separators);
        text[strcspn(text, "\r\n")] = '\0';
        value = text;
        break;
    }
    fclose(file);
    return value;
}

CString unquote(const CString& text)
{
    int32_t length = text.getLength();
    if (length >= 2 && (text[0] == '"' || text[0] == '\'') && text[length - 1] == text[0])
        return text.subString(1, length - 2);
    return text;
}

uint64_t readKilobytes(const char* path, const char* key)
{
    CString value = readField(path, key, ": \t");
    return value.isEmpty() ? 0 : strtoull(value.c_str(), nullptr, 10) * 1024;
}

} // namespace

CString CSystemPosix::readOsReleaseName(const char* path)
{
    CString pretty = unquote(readField(path, "PRETTY_NAME", "="));
    if (!pretty.isEmpty())
        return pretty;
    CString name = unquote(readField(path, "NAME", "="));
    CString version = unquote(readField(path, "VERSION_ID", "="));
    if (name.isEmpty() || version.isEmpty())
        return name;
    return name + " " + version;
}

CString CSystem::getLocalTimeText()
{
    time_t now = time(nullptr);
    struct tm local;
    uint16_t dosDate = 0, dosTime = 0;
    if (!localtime_r(&now, &local) ||
        !packDosDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                         local.tm_sec, &dosDate, &dosTime))
        return CString();
    return formatDosDateTime(dosDate, dosTime);
}

CString CSystem::getModuleFileName()
{
    char path[519];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return CString("Unknown");
    path[length] = '\0';
    return CString(path);
}

CString CSystem::getUserLoginName()
{
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof(buffer), &found) != 0 || !found || !found->pw_name)
        return CString("Unknown");
    char name[199];
    snprintf(name, sizeof(name), "%s", found->pw_name);
    return CString(name);
}

CString CSystem::getOSName()
{
    CString name = CSystemPosix::readOsReleaseName("/etc/os-release");
    struct utsname kernel;
    if (uname(&kernel) != 0)
        return name.isEmpty() ? CString("Unknown") : name;
    CString kernelName = CString(kernel.sysname) + " " + kernel.release;
    return name.isEmpty() ? kernelName : name + ", " + kernelName;
}

uint32_t CSystem::getLogicalProcessorCount()
{
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<uint32_t>(count) : 1;
}

uint32_t CSystem::getProcessorType()
{
    // The code the Windows section gives x86-64 processors.
    return 8664;
}

void CSystem::getMemoryStatus(SMemoryStatus& status)
{
    status = SMemoryStatus();
    struct sysinfo info;
    if (sysinfo(&info) == 0)
    {
        uint64_t unit = info.mem_unit ? info.mem_unit : 1;
        status.totalPhysical = static_cast<uint64_t>(info.totalram) * unit;
        status.availablePhysical = static_cast<uint64_t>(info.freeram) * unit;
        // Like the commit limit that Windows calls the paging file: memory plus swap.
        status.totalPageFile = status.totalPhysical + static_cast<uint64_t>(info.totalswap) * unit;
        status.availablePageFile = static_cast<uint64_t>(info.freeswap) * unit;
    }
    uint64_t available = readKilobytes("/proc/meminfo", "MemAvailable");
    if (available)
        status.availablePhysical = available;
    status.availablePageFile += status.availablePhysical;
    if (status.totalPhysical)
        status.memoryLoad = static_cast<uint32_t>((status.totalPhysical - status.availablePhysical) * 100 /
                                                  status.totalPhysical);
    // x86-64 user space is 128 TiB unless the address-space limit says less.
    status.totalVirtual = 1ull << 47;
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < status.totalVirtual)
        status.totalVirtual = limit.rlim_cur;
    uint64_t used = readKilobytes("/proc/self/status", "VmSize");
    status.availableVirtual = used < status.totalVirtual ? status.totalVirtual - used : 0;
}

CString CSystem::getRegistryCpuName()
{
    return getRegistryCpuName("/proc/cpuinfo");
}

CString CSystem::getRegistryCpuName(const char* source)
{
    CString name = readField(source, "model name", ": \t");
    return name.isEmpty() ? getCpuBrandText() : name;
}

} // namespace Engine
} // namespace Tavrin
