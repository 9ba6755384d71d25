#include "Engine/IKernel/System/CSystem.h"

#include "Engine/IKernel/IKernel.h"

namespace Tavrin {
namespace Engine {

namespace {

const char s_adapterSeparator[] = "------------------------------------------\n";

unsigned long long roundUpToMb(uint64_t bytes)
{
    return static_cast<unsigned long long>((bytes + 0xFFFFF) >> 20);
}

void writeMemory(FILE* stream)
{
    SMemoryStatus memory = {};
    CSystem::getMemoryStatus(memory);
    fprintf(stream, "Compiled in 64-bits: %s\n", "yes");
    fprintf(stream, "%u%% memory in use.\n", memory.memoryLoad);
    fprintf(stream, "%llu MBytes physical memory.\n", roundUpToMb(memory.totalPhysical));
    fprintf(stream, "%llu MBytes physical memory free.\n", roundUpToMb(memory.availablePhysical));
    fprintf(stream, "%llu MBytes paging file.\n", roundUpToMb(memory.totalPageFile));
    fprintf(stream, "%llu MBytes paging file free.\n", roundUpToMb(memory.availablePageFile));
    fprintf(stream, "%llu MBytes user address space.\n", roundUpToMb(memory.totalVirtual));
    fprintf(stream, "%llu MBytes user address space free.\n", roundUpToMb(memory.availableVirtual));
}

void writeCpu(FILE* stream)
{
    try
    {
        SCpuInfo info = {};
        // Tests leave the clock figure out (0 Mhz), so that sections compare.
        CSystem::identifyCpu(info, !IKernel::isTestMode());
        CSystem::logCpuInfo(info, stream);
    }
    catch (...)
    {
        fputs("Failed to get CPU informations...\n", stream);
    }
}

const char* adapterTypeText(uint32_t type)
{
    if (type == CDisplayAdapterInfo::C_TYPE_SOFTWARE)
        return "Adapter Type: Software\n";
    if (type == CDisplayAdapterInfo::C_TYPE_REMOTE)
        return "Adapter Type: Remote\n";
    return "Adapter Type: GPU\n";
}

struct _SWindowsRelease
{
    uint32_t major;
    uint32_t minor;
    uint32_t servicePack;
    const char* workstation;
    const char* server;
};

const _SWindowsRelease s_windowsReleases[] = {
    {10, 0, 0, "Windows 10", "Windows Server 2016"},
    {6, 3, 0, "Windows 8.1", "Windows Server 2012 R2"},
    {6, 2, 0, "Windows 8", "Windows Server 2012"},
    {6, 1, 1, "Windows 7 SP1", "Windows Server 2008 R2"},
    {6, 1, 0, "Windows 7", "Windows Server 2008"},
    {6, 0, 2, "Windows Vista SP2", "Windows Server 2003 R3"},
    {6, 0, 1, "Windows Vista SP1", "Windows Server 2003 R2"},
    {6, 0, 0, "Windows Vista", "Windows Server 2003"},
    {5, 1, 3, "Windows XP SP3", "Windows Server 2000"},
    {5, 1, 2, "Windows XP SP2", "Windows Server 2000"},
    {5, 1, 1, "Windows XP SP1", "Windows Server 2000"},
    {5, 1, 0, "Windows XP", "Windows Server 2000"},
};

} // namespace

void CSystem::writeSystemInfo(FILE* stream)
{
    CString time = getLocalTimeText();
    if (!stream)
        return;
    fprintf(stream, "System time is %s.\n", time.c_str());
    fprintf(stream, "%s, run by %s.\n", getModuleFileName().c_str(), getUserLoginName().c_str());
    fprintf(stream, "Operating system:  %s.\n", getOSName().c_str());
    fprintf(stream, "%u processor(s), type %u.\n", getLogicalProcessorCount(), getProcessorType());
    writeMemory(stream);
    fprintf(stream, "CPU(s) name from Windows registry: %s\n", getRegistryCpuName().c_str());
    writeCpu(stream);
    fputs("Enumerating display adapters:\n", stream);
    fputs(s_adapterSeparator, stream);
    // A failed enumeration logs a line; when the stream is the log file
    // itself, that line must land after what is written so far.
    fflush(stream);
    writeDisplayAdapters(stream, enumerateDisplayAdapters());
}

void CSystem::writeDisplayAdapters(FILE* stream, const CDisplayAdapterList& adapters)
{
    if (!stream)
        return;
    for (const std::shared_ptr<CDisplayAdapterInfo>& adapter : adapters)
    {
        fprintf(stream, "Description: %s\n", adapter->description.c_str());
        fprintf(stream, "Vendor ID: 0x%x\n", adapter->vendorId);
        fprintf(stream, "Device ID: 0x%x\n", adapter->deviceId);
        fprintf(stream, "SubSys ID: 0x%x\n", adapter->subSysId);
        fprintf(stream, "Dedicated Video Memory: %zu bytes\n", adapter->dedicatedVideoMemory);
        fprintf(stream, "Dedicated System Memory: %zu bytes\n", adapter->dedicatedSystemMemory);
        fprintf(stream, "Shared System Memory: %zu bytes\n", adapter->sharedSystemMemory);
        fputs(adapterTypeText(adapter->type), stream);
        fputs(s_adapterSeparator, stream);
    }
}

const char* CSystem::selectWindowsName(TVersionTest atLeast, void* context, bool server)
{
    for (const _SWindowsRelease& release : s_windowsReleases)
        if (atLeast(context, release.major, release.minor, release.servicePack))
            return server ? release.server : release.workstation;
    return server ? "Windows NT" : "Windows 9x";
}

CString CSystem::formatDosDateTime(uint16_t dosDate, uint16_t dosTime)
{
    CString text;
    text.format("%d/%d/%d %02d:%02d:%02d", (dosDate >> 5) & 0x0F, dosDate & 0x1F, (dosDate >> 9) + 1980,
                dosTime >> 11, (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2);
    return text;
}

bool CSystem::packDosDateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                              int32_t second, uint16_t* dosDate, uint16_t* dosTime)
{
    if (year < 1980 || year > 2107)
        return false;
    *dosDate = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
    *dosTime = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
    return true;
}

} // namespace Engine
} // namespace Tavrin
