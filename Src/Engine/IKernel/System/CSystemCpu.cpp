#include "Engine/IKernel/System/CSystem.h"

#include "Engine/IKernel/System/CCpuClock.h"
#include "Engine/IKernel/System/CTimer.h"

#include <cpuid.h>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

struct _SCpuidRegisters
{
    uint32_t eax, ebx, ecx, edx;
};

_SCpuidRegisters cpuid(uint32_t leaf)
{
    _SCpuidRegisters r;
    __cpuid(leaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

// Brand text of leaves 0x80000002..4 into a zero-filled 49-byte buffer.
void readBrandText(char* brand)
{
    memset(brand, 0, 49);
    for (uint32_t i = 0; i < 3; ++i)
    {
        _SCpuidRegisters r = cpuid(0x80000002u + i);
        memcpy(brand + i * 16, &r, 16);
    }
}

struct _SFeatureWord
{
    uint32_t bit;
    const char* word;
};

const _SFeatureWord s_features1[] = {{0, "FPU"},   {1, "VME"},   {2, "DE"},    {3, "PSE"},   {4, "TSC"},  {5, "MSR"},
                                     {6, "PAE"},   {7, "MCE"},   {8, "CX8"},   {9, "APIC"},  {12, "MTRR"}, {13, "PGE"},
                                     {14, "MCA"},  {15, "CMOV"}, {16, "PAT"},  {17, "PSE36"}};
const _SFeatureWord s_features2[] = {{23, "MMX"}, {24, "FXSR"}, {25, "SSE"}, {26, "SSE2"}, {30, "64BIT"}};
// Bit 30 is listed twice: the reports have always read this way.
const _SFeatureWord s_features3[] = {{31, "AMD3DNOW"}, {30, "AMD3DNOWEXT"}, {30, "AMIE"}};

template <size_t N>
void writeFeatures(FILE* stream, const char* title, const _SFeatureWord (&words)[N], uint32_t features)
{
    fputs(title, stream);
    for (const _SFeatureWord& word : words)
        if (features & (1u << word.bit))
            fprintf(stream, "%s ", word.word);
    fputs(" \n", stream);
}

const char* family4Name(int32_t model, int32_t type)
{
    switch (model)
    {
    case 0: return "486 DX-25/33";
    case 1: return "486 DX-50";
    case 2: return "486 SX";
    case 3: return "486 DX/2";
    case 4: return "486(TM) SL processor";
    case 5: return "486 SX/2";
    case 7: return "Write-Back Enhanced DX2(TM) processor";
    case 8: return type == 1 ? "DX4(TM) OverDrive(R) processor" : "DX4(TM) processor";
    case 9: return "486 DX/4-WB";
    default: return "";
    }
}

const char* family5Name(int32_t model, int32_t type)
{
    const char* overdrive = "Pentium(R) OverDrive(R) processor";
    switch (model)
    {
    case 0: return "Pentium 60/66 A-step";
    case 1: return type == 1 ? overdrive : "Pentium 60/66";
    case 2: return type == 1 ? overdrive : "Pentium 75 - 200";
    case 3: return "OverDrive PODP5V83";
    case 4: return type == 1 ? overdrive : "Pentium MMX";
    case 7: return "Mobile Pentium 75 - 200";
    case 8: return "Mobile Pentium MMX";
    default: return "";
    }
}

const char* family6Name(int32_t model, int32_t type, int32_t stepping)
{
    switch (model)
    {
    case 0: return "Pentium Pro A-step";
    case 1: return "Pentium(R) Pro processor";
    case 3: return type == 1 ? "Pentium(R) II OverDrive(R) processor" : "Pentium II (Klamath)";
    case 5: return "Pentium II (Deschutes), Celeron (Covington), Mobile Pentium II (Dixon)";
    case 6: return "Mobile Pentium II, Celeron (Mendocino)";
    case 7: return "Pentium III (Katmai)";
    case 8: return "Pentium III (Coppermine), Celeron w/SSE";
    case 9: return "Mobile Pentium III";
    case 10: return "Pentium III Xeon (Cascades)";
    case 11: return "Pentium III (130 nm)";
    case 15: return stepping == 7 ? "Core 2 Quad Processor Q6600" : "";
    default: return "";
    }
}

const char* family15Name(int32_t model, int32_t extendedFamily)
{
    if (extendedFamily == 1)
        return "Unknown Itanium 2";
    if (extendedFamily != 0)
        return "";
    switch (model)
    {
    case 0:
    case 1: return "Pentium IV (180 nm)";
    case 2: return "Pentium IV (130 nm)";
    case 3: return "Pentium IV (90 nm)";
    case 4: return "Pentium D";
    default: return "Unknown Pentium";
    }
}

void identifyVendorSpecific(SCpuInfo& info)
{
    if (strcmp(info.vendor, "GenuineIntel") == 0)
    {
        _SCpuidRegisters leaf1 = cpuid(1);
        info.features = leaf1.edx;
        CSystem::decodeCpuSignature(info, leaf1.eax, true);
    }
    else if (strcmp(info.vendor, "AuthenticAMD") == 0)
    {
        if (cpuid(0x80000000u).eax != 0)
        {
            info.features = cpuid(0x80000001u).edx;
            char brand[49];
            readBrandText(brand);
            memcpy(info.name, brand, sizeof(brand));
        }
        else
            info.features = cpuid(1).edx;
        CSystem::decodeCpuSignature(info, cpuid(1).eax, false);
    }
}

} // namespace

CString CSystem::getCpuBrandText()
{
    char brand[49];
    readBrandText(brand);
    return CString(brand);
}

void CSystem::decodeCpuSignature(SCpuInfo& info, uint32_t eax, bool intel)
{
    info.type = static_cast<int32_t>((eax >> 12) & 0x3);
    info.family = static_cast<int32_t>((eax >> 8) & 0xF);
    info.model = static_cast<int32_t>((eax >> 4) & 0xF);
    // Three bits: the stepping has always been read this way here.
    info.stepping = static_cast<int32_t>(eax & 0x7);
    if (!intel)
        return;
    info.extendedFamily = static_cast<int32_t>((eax >> 20) & 0xFF);
    snprintf(info.name, sizeof(info.name), "%s",
             getIntelModelName(info.family, info.model, info.type, info.stepping, info.extendedFamily));
}

const char* CSystem::getIntelModelName(int32_t family, int32_t model, int32_t type, int32_t stepping,
                                       int32_t extendedFamily)
{
    switch (family)
    {
    case 4: return family4Name(model, type);
    case 5: return family5Name(model, type);
    case 6: return family6Name(model, type, stepping);
    case 7: return "Unknown Itanium";
    case 15: return family15Name(model, extendedFamily);
    default: return "";
    }
}

uint32_t CSystem::roundCpuSpeed(uint32_t rawMhz)
{
    static const uint32_t endings[] = {0, 20, 33, 50, 60, 66, 80, 90, 100};
    uint32_t hundred = rawMhz - rawMhz % 100;
    uint32_t rest = rawMhz % 100;
    size_t upper = 1;
    while (endings[upper] <= rest)
        ++upper;
    uint32_t lower = endings[upper - 1];
    return endings[upper] - rest <= rest - lower ? hundred + endings[upper] : hundred + lower;
}

void CSystem::identifyCpu(SCpuInfo& info, bool measureSpeed)
{
    if (info.identified)
        return;
    info.identified = 1;
    uint64_t frequency = CTimer::getCounterFrequency();

    _SCpuidRegisters leaf0 = cpuid(0);
    info.highestStandardLeaf = leaf0.eax;
    memset(info.vendor, 0, sizeof(info.vendor));
    memcpy(info.vendor, &leaf0.ebx, 4);
    memcpy(info.vendor + 4, &leaf0.edx, 4);
    memcpy(info.vendor + 8, &leaf0.ecx, 4);
    identifyVendorSpecific(info);
    info.counterFrequency = static_cast<float>(frequency);

    // The clock is measured once per process (briefly, or while start-up
    // goes on); every later log header and crash report reuses it.
    info.speed = measureSpeed ? roundCpuSpeed(CCpuClock::getProcessRawMhz()) : 0;
    info.secondsPerCycle = 1.0f / (static_cast<float>(info.speed) * 1e6f);
}

void CSystem::logCpuInfo(SCpuInfo& info, FILE* stream)
{
    if (!info.identified)
        identifyCpu(info, true);
    if (!stream)
        return;
    fprintf(stream, "Vendor: %s\n", info.vendor);
    fprintf(stream, "Number of CPUs: %u\n", getLogicalProcessorCount());
    if (info.name[0])
        fprintf(stream, "CPU(s) name: %s\n", info.name);
    fprintf(stream, "CPU(s) speed: %u Mhz\n", info.speed);
    writeFeatures(stream, "Features1: ", s_features1, info.features);
    writeFeatures(stream, "Features2: ", s_features2, info.features);
    writeFeatures(stream, "Features3: ", s_features3, info.features);
}

} // namespace Engine
} // namespace Tavrin
