#pragma once

#include "Engine/IKernel/System/CDisplayAdapterInfo.h"
#include "Engine/IKernel/System/SCpuInfo.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>
#include <cstdio>
#include <memory>

namespace Tavrin {
namespace Engine {

typedef CArray<std::shared_ptr<CDisplayAdapterInfo>> CDisplayAdapterList;

// Memory figures of the system and the process, in bytes.
struct SMemoryStatus
{
    uint32_t memoryLoad;
    uint64_t totalPhysical;
    uint64_t availablePhysical;
    uint64_t totalPageFile;
    uint64_t availablePageFile;
    uint64_t totalVirtual;
    uint64_t availableVirtual;
};

// Describes the machine: disk space of the executable's drive, and the system
// section of log headers and crash reports (operating system, processors,
// memory, the CPU's identity and features, display adapters).
class CSystem
{
public:
    // Megabytes (bytes / 1024 / 1024) on the executable folder's drive:
    // available to the calling user, and in all; 0.0 when the query fails.
    static float getFreeDiskSpaceMb();
    static float getTotalDiskSpaceMb();

    // The whole system section; a null stream writes nothing.
    static void writeSystemInfo(FILE* stream);
    static CString getOSName();
    // The processor name the system keeps (registry / cpuinfo), else the CPUID brand text.
    static CString getRegistryCpuName();
    // The same from another source: a registry key path or a cpuinfo-style file.
    static CString getRegistryCpuName(const char* source);
    // The 48-byte brand text of CPUID leaves 0x80000002..4, up to its first zero.
    static CString getCpuBrandText();
    // In the system's adapter order; empty when the system cannot list them.
    static CDisplayAdapterList enumerateDisplayAdapters();
    static void writeDisplayAdapters(FILE* stream, const CDisplayAdapterList& adapters);

    static void identifyCpu(SCpuInfo& info, bool measureSpeed);
    static void logCpuInfo(SCpuInfo& info, FILE* stream);
    // Snaps a measured MHz figure to the usual clock endings of its hundred.
    static uint32_t roundCpuSpeed(uint32_t rawMhz);
    // Fills type, family, model, stepping (and for Intel the extended family
    // and model name) from CPUID leaf 1's EAX.
    static void decodeCpuSignature(SCpuInfo& info, uint32_t eax, bool intel);
    // Model names of older Intel processors; "" for anything not listed.
    static const char* getIntelModelName(int32_t family, int32_t model, int32_t type, int32_t stepping,
                                         int32_t extendedFamily);

    // Name of a Windows release from the version table. `atLeast` answers
    // whether the running system is at least (major, minor, service pack).
    typedef bool (*TVersionTest)(void* context, uint32_t major, uint32_t minor, uint32_t servicePack);
    static const char* selectWindowsName(TVersionTest atLeast, void* context, bool server);

    // "month/day/year hh:mm:ss" of a packed DOS date and time.
    static CString formatDosDateTime(uint16_t dosDate, uint16_t dosTime);
    // False outside the DOS calendar (1980 to 2107).
    static bool packDosDateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                                int32_t second, uint16_t* dosDate, uint16_t* dosTime);

    // Facts the section is made of, from the platform.
    // Local date and time (DOS resolution); empty when it cannot be converted.
    static CString getLocalTimeText();
    // Full path of the running executable, "Unknown" on failure.
    static CString getModuleFileName();
    // Login name of the user, "Unknown" on failure.
    static CString getUserLoginName();
    static uint32_t getLogicalProcessorCount();
    static uint32_t getProcessorType();
    static void getMemoryStatus(SMemoryStatus& status);
};

} // namespace Engine
} // namespace Tavrin
