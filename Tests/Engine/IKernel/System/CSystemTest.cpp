#include "Engine/IKernel/System/CCpuClock.h"
#include "Engine/IKernel/System/CSystem.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CTimer.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <regex>

using namespace Tavrin::Engine;
using namespace TavrinTests;

namespace {

std::string writeToText(void (*writer)(FILE*))
{
    std::string path = makeTestFolder("CSystemTest") + "/section.txt";
    FILE* file = fopen(path.c_str(), "w");
    writer(file);
    fclose(file);
    return readFile(path);
}

TEST(CSystem, RoundCpuSpeedSnapsToUsualEndings)
{
    const uint32_t cases[][2] = {{2345, 2350}, {2328, 2333}, {2300, 2300}, {2395, 2400}, {2394, 2390},
                                 {1866, 1866}, {2385, 2390}, {2375, 2380}, {2341, 2333}, {2342, 2350},
                                 {99, 100},    {0, 0},       {3009, 3000}, {3010, 3020}, {2363, 2366}};
    for (const auto& c : cases)
        EXPECT_EQ(CSystem::roundCpuSpeed(c[0]), c[1]) << c[0];
}

TEST(CSystem, IntelModelNamesByFamilyModelTypeAndStepping)
{
    struct Case
    {
        int32_t family, model, type, stepping, extendedFamily;
        const char* name;
    };
    const Case cases[] = {
        {4, 0, 0, 0, 0, "486 DX-25/33"},
        {4, 8, 0, 0, 0, "DX4(TM) processor"},
        {4, 8, 1, 0, 0, "DX4(TM) OverDrive(R) processor"},
        {4, 6, 0, 0, 0, ""},
        {5, 1, 1, 0, 0, "Pentium(R) OverDrive(R) processor"},
        {5, 2, 0, 0, 0, "Pentium 75 - 200"},
        {5, 3, 1, 0, 0, "OverDrive PODP5V83"},
        {5, 8, 0, 0, 0, "Mobile Pentium MMX"},
        {6, 3, 1, 0, 0, "Pentium(R) II OverDrive(R) processor"},
        {6, 5, 0, 0, 0, "Pentium II (Deschutes), Celeron (Covington), Mobile Pentium II (Dixon)"},
        {6, 11, 0, 0, 0, "Pentium III (130 nm)"},
        {6, 15, 0, 7, 0, "Core 2 Quad Processor Q6600"},
        {6, 15, 0, 6, 0, ""},
        {6, 12, 0, 0, 0, ""},
        {7, 9, 0, 0, 0, "Unknown Itanium"},
        {15, 1, 0, 0, 0, "Pentium IV (180 nm)"},
        {15, 3, 0, 0, 0, "Pentium IV (90 nm)"},
        {15, 4, 0, 0, 0, "Pentium D"},
        {15, 6, 0, 0, 0, "Unknown Pentium"},
        {15, 2, 0, 0, 1, "Unknown Itanium 2"},
        {15, 2, 0, 0, 2, ""},
        {3, 0, 0, 0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CSystem::getIntelModelName(c.family, c.model, c.type, c.stepping, c.extendedFamily), c.name)
            << c.family << "/" << c.model << " type " << c.type;
}

TEST(CSystem, CpuSignatureKeepsThreeSteppingBits)
{
    SCpuInfo info = {};
    // Extended family 0x12, type 1, family 6, model 15, stepping 15.
    CSystem::decodeCpuSignature(info, 0x01201000u | 0x600 | 0xF0 | 0xF, true);
    EXPECT_EQ(info.stepping, 7);
    EXPECT_EQ(info.model, 15);
    EXPECT_EQ(info.family, 6);
    EXPECT_EQ(info.type, 1);
    EXPECT_EQ(info.extendedFamily, 0x12);
    EXPECT_STREQ(info.name, "Core 2 Quad Processor Q6600");

    SCpuInfo amd = {};
    strcpy(amd.name, "brand");
    CSystem::decodeCpuSignature(amd, 0x00A20F12u, false);
    EXPECT_EQ(amd.family, 0xF);
    EXPECT_EQ(amd.model, 1);
    EXPECT_EQ(amd.stepping, 2);
    EXPECT_EQ(amd.extendedFamily, 0);
    EXPECT_STREQ(amd.name, "brand");
}

// Compares the way the system's version check does: major first, then minor, then service pack.
struct SRunningVersion
{
    uint32_t major, minor, servicePack;
};
bool runningAtLeast(void* context, uint32_t major, uint32_t minor, uint32_t servicePack)
{
    const SRunningVersion& v = *static_cast<SRunningVersion*>(context);
    if (v.major != major)
        return v.major > major;
    if (v.minor != minor)
        return v.minor > minor;
    return v.servicePack >= servicePack;
}

TEST(CSystem, WindowsNameFromVersionTable)
{
    struct Case
    {
        SRunningVersion version;
        const char* workstation;
        const char* server;
    };
    const Case cases[] = {
        {{10, 0, 0}, "Windows 10", "Windows Server 2016"},
        {{6, 3, 0}, "Windows 8.1", "Windows Server 2012 R2"},
        {{6, 2, 0}, "Windows 8", "Windows Server 2012"},
        {{6, 1, 1}, "Windows 7 SP1", "Windows Server 2008 R2"},
        {{6, 1, 0}, "Windows 7", "Windows Server 2008"},
        {{6, 0, 2}, "Windows Vista SP2", "Windows Server 2003 R3"},
        {{6, 0, 0}, "Windows Vista", "Windows Server 2003"},
        {{5, 2, 0}, "Windows XP SP3", "Windows Server 2000"},
        {{5, 1, 0}, "Windows XP", "Windows Server 2000"},
        {{5, 1, 3}, "Windows XP SP3", "Windows Server 2000"},
        {{5, 0, 4}, "Windows 9x", "Windows NT"},
    };
    for (Case c : cases)
    {
        EXPECT_STREQ(CSystem::selectWindowsName(runningAtLeast, &c.version, false), c.workstation);
        EXPECT_STREQ(CSystem::selectWindowsName(runningAtLeast, &c.version, true), c.server);
    }
}

TEST(CSystem, DosDateTimeHasTwoSecondSteps)
{
    uint16_t date = 0, time = 0;
    ASSERT_TRUE(CSystem::packDosDateTime(2024, 3, 5, 14, 7, 59, &date, &time));
    EXPECT_STREQ(CSystem::formatDosDateTime(date, time).c_str(), "3/5/2024 14:07:58");
    ASSERT_TRUE(CSystem::packDosDateTime(1980, 1, 1, 0, 0, 1, &date, &time));
    EXPECT_STREQ(CSystem::formatDosDateTime(date, time).c_str(), "1/1/1980 00:00:00");
    ASSERT_TRUE(CSystem::packDosDateTime(2107, 12, 31, 23, 59, 58, &date, &time));
    EXPECT_STREQ(CSystem::formatDosDateTime(date, time).c_str(), "12/31/2107 23:59:58");
    EXPECT_FALSE(CSystem::packDosDateTime(1979, 12, 31, 23, 59, 59, &date, &time));
    EXPECT_FALSE(CSystem::packDosDateTime(2108, 1, 1, 0, 0, 0, &date, &time));
}

TEST(CSystem, AdapterBlocksByTypeFromFlags)
{
    CDisplayAdapterList adapters;
    const uint32_t flags[] = {2, 3, 1, 0};
    for (uint32_t i = 0; i < 4; ++i)
    {
        auto adapter = std::make_shared<CDisplayAdapterInfo>();
        adapter->description.format("Adapter %u", i);
        adapter->vendorId = 0x10DE;
        adapter->deviceId = 0x2484 + i;
        adapter->subSysId = 0x146B10DE;
        adapter->dedicatedVideoMemory = size_t(8) << 30;
        adapter->dedicatedSystemMemory = 0;
        adapter->sharedSystemMemory = 17179869184ull;
        adapter->type = CDisplayAdapterInfo::typeFromFlags(flags[i]);
        adapters.add(adapter);
    }
    static CDisplayAdapterList* s_adapters;
    s_adapters = &adapters;
    std::string text = writeToText([](FILE* file) { CSystem::writeDisplayAdapters(file, *s_adapters); });
    const char* types[] = {"Software", "GPU", "Remote", "GPU"};
    std::string expected;
    for (uint32_t i = 0; i < 4; ++i)
    {
        char block[512];
        snprintf(block, sizeof(block),
                 "Description: Adapter %u\nVendor ID: 0x10de\nDevice ID: 0x%x\nSubSys ID: 0x146b10de\n"
                 "Dedicated Video Memory: 8589934592 bytes\nDedicated System Memory: 0 bytes\n"
                 "Shared System Memory: 17179869184 bytes\nAdapter Type: %s\n"
                 "------------------------------------------\n",
                 i, 0x2484 + i, types[i]);
        expected += block;
    }
    EXPECT_EQ(text, expected);
}

TEST(CSystem, CpuBlockListsFeatureWordsInOrder)
{
    static SCpuInfo s_info;
    s_info = SCpuInfo();
    s_info.identified = 1;
    strcpy(s_info.vendor, "GenuineIntel");
    strcpy(s_info.name, "Pentium III (Katmai)");
    s_info.speed = 2333;
    s_info.features = (1u << 0) | (1u << 4) | (1u << 10) | (1u << 17) | (1u << 23) | (1u << 26) | (1u << 30) |
                      (1u << 31);
    std::string text = writeToText([](FILE* file) { CSystem::logCpuInfo(s_info, file); });
    char expected[512];
    snprintf(expected, sizeof(expected),
             "Vendor: GenuineIntel\nNumber of CPUs: %u\nCPU(s) name: Pentium III (Katmai)\nCPU(s) speed: 2333 Mhz\n"
             "Features1: FPU TSC PSE36  \nFeatures2: MMX SSE2 64BIT  \nFeatures3: AMD3DNOW AMD3DNOWEXT AMIE  \n",
             CSystem::getLogicalProcessorCount());
    EXPECT_EQ(text, expected);

    s_info.name[0] = '\0';
    s_info.features = 0;
    text = writeToText([](FILE* file) { CSystem::logCpuInfo(s_info, file); });
    EXPECT_EQ(text.find("CPU(s) name"), std::string::npos);
    EXPECT_NE(text.find("CPU(s) speed: 2333 Mhz\nFeatures1:  \nFeatures2:  \nFeatures3:  \n"), std::string::npos);
}

// The process's clock figure, rounded; identified once per record.
TEST(CSystem, IdentifyCpuMeasuresRoundedSpeedOnce)
{
    SCpuInfo info = {};
    CSystem::identifyCpu(info, true);
    EXPECT_EQ(info.identified, 1);
    EXPECT_GT(info.speed, 100u);
    EXPECT_LT(info.speed, 10000u);
    EXPECT_EQ(info.speed, CSystem::roundCpuSpeed(CCpuClock::getProcessRawMhz()));
    EXPECT_FLOAT_EQ(info.secondsPerCycle, 1.0f / (static_cast<float>(info.speed) * 1e6f));
    EXPECT_FLOAT_EQ(info.counterFrequency, static_cast<float>(CTimer::getCounterFrequency()));
    EXPECT_EQ(strlen(info.vendor), 12u);

    info.speed = 12345;
    CSystem::identifyCpu(info, true);
    EXPECT_EQ(info.speed, 12345u);

    SCpuInfo unmeasured = {};
    CSystem::identifyCpu(unmeasured, false);
    EXPECT_EQ(unmeasured.speed, 0u);
    EXPECT_TRUE(std::isinf(unmeasured.secondsPerCycle));
    EXPECT_STREQ(unmeasured.vendor, info.vendor);
    EXPECT_EQ(unmeasured.features, info.features);
}

TEST(CSystem, CpuNameFallsBackToBrandText)
{
    CString brand = CSystem::getCpuBrandText();
    EXPECT_FALSE(brand.isEmpty());
    EXPECT_LE(brand.getLength(), 48);
    EXPECT_TRUE(CSystem::getRegistryCpuName("Tavrin\\Missing\\Source") == brand);
    EXPECT_FALSE(CSystem::getRegistryCpuName().isEmpty());
}

// Each line of the section, in order; `*` marks a line that may repeat.
void expectSection(const std::vector<std::string>& lines, size_t first)
{
    const char* patterns[] = {
        "System time is [0-9]{1,2}/[0-9]{1,2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9][02468]\\.",
        ".+, run by .+\\.",
        "Operating system:  .+\\.",
        "[0-9]+ processor\\(s\\), type [0-9]+\\.",
        "Compiled in 64-bits: yes",
        "[0-9]{1,3}% memory in use\\.",
        "[0-9]+ MBytes physical memory\\.",
        "[0-9]+ MBytes physical memory free\\.",
        "[0-9]+ MBytes paging file\\.",
        "[0-9]+ MBytes paging file free\\.",
        "[0-9]+ MBytes user address space\\.",
        "[0-9]+ MBytes user address space free\\.",
        "CPU\\(s\\) name from Windows registry: .+",
        "Vendor: .*",
        "Number of CPUs: [0-9]+",
        "?CPU\\(s\\) name: .+",
        "CPU\\(s\\) speed: 0 Mhz",
        "Features1: ([A-Z0-9]+ )* ",
        "Features2: ([A-Z0-9]+ )* ",
        "Features3: ([A-Z0-9]+ )* ",
        "Enumerating display adapters:",
        "-{42}",
    };
    size_t at = first;
    for (const char* pattern : patterns)
    {
        bool optional = pattern[0] == '?';
        std::regex line(optional ? pattern + 1 : pattern);
        if (at < lines.size() && std::regex_match(lines[at], line))
            ++at;
        else if (!optional)
        {
            ADD_FAILURE() << "line " << at << " is '" << (at < lines.size() ? lines[at] : "<end>") << "', expected "
                          << pattern;
            return;
        }
    }
    // Adapter blocks, each closed by the separator.
    std::regex adapterLine("(Description: .*|(Vendor|Device|SubSys) ID: 0x[0-9a-f]+|"
                           "(Dedicated Video|Dedicated System|Shared System) Memory: [0-9]+ bytes|"
                           "Adapter Type: (GPU|Remote|Software)|-{42})");
    for (; at < lines.size() && std::regex_match(lines[at], adapterLine); ++at)
    {
    }
    EXPECT_EQ(lines.size(), at) << "unexpected line: " << lines[at];
}

TEST(CSystem, SystemSectionLinesInOrder)
{
    std::string text = writeToText(CSystem::writeSystemInfo);
    std::vector<std::string> lines = splitLines(text);
    expectSection(lines, 0);
    ASSERT_GT(lines.size(), 4u);
    std::string runBy = std::string(CSystem::getModuleFileName().c_str()) + ", run by " +
                        CSystem::getUserLoginName().c_str() + ".";
    EXPECT_EQ(lines[1], runBy);
    EXPECT_EQ(lines[2], std::string("Operating system:  ") + CSystem::getOSName().c_str() + ".");
    EXPECT_NE(lines[1].find("Unknown"), 0u);
    CSystem::writeSystemInfo(nullptr);
}

TEST(CSystem, MemoryFiguresAreConsistent)
{
    SMemoryStatus memory = {};
    CSystem::getMemoryStatus(memory);
    EXPECT_GT(memory.totalPhysical, 0u);
    EXPECT_LE(memory.availablePhysical, memory.totalPhysical);
    EXPECT_LE(memory.availablePageFile, memory.totalPageFile);
    EXPECT_LE(memory.availableVirtual, memory.totalVirtual);
    EXPECT_GT(memory.availableVirtual, 0u);
    EXPECT_LE(memory.memoryLoad, 100u);
}

TEST(CSystem, LogHeaderCarriesSystemSection)
{
    std::string path = makeTestFolder("CSystemTestLog") + "/header_log.txt";
    installLog();
    getLog()->setLowestLevel(1);
    reopenLog(path.c_str());
    uninstallLog();
    std::vector<std::string> lines = splitLines(readFile(path));
    // Where the system cannot list adapters, its one log line comes right
    // after the heading and its separator, not inside the header before it.
    auto heading = std::find(lines.begin(), lines.end(), "Enumerating display adapters:");
    ASSERT_NE(heading, lines.end());
    if (lines.end() - heading > 2 &&
        std::regex_match(heading[2], std::regex("\\[.*\\] Failed to create DXGI 1.1 factory!")))
        lines.erase(heading + 2);
    ASSERT_GT(lines.size(), 8u);
    EXPECT_EQ(lines[0], std::string(76, '='));
    EXPECT_EQ(lines[1].compare(0, 13, "Log file of '"), 0);
    EXPECT_EQ(lines[2], std::string(76, '='));
    EXPECT_EQ(lines[3], "");
    EXPECT_TRUE(std::regex_match(lines[4], std::regex("Free disk space: [0-9]+\\.[0-9] Mb")));
    EXPECT_TRUE(std::regex_match(lines[5], std::regex("Total disk space: [0-9]+\\.[0-9] Mb")));
    ASSERT_EQ(lines.back(), "");
    lines.pop_back();
    expectSection(lines, 6);
}

} // namespace
