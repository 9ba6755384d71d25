#include "Engine/IKernel/System/Posix/CSystemPosix.h"

#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Tavrin::Engine;
using namespace TavrinTests;

namespace {

TEST(CSystemPosix, OsReleaseNamePrefersPrettyName)
{
    std::string folder = makeTestFolder("CSystemPosixOsRelease");
    struct Case
    {
        const char* content;
        const char* name;
    };
    const Case cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"NAME=Fedora\nVERSION_ID=40\n", "Fedora 40"},
        {"NAME='Arch Linux'\n", "Arch Linux"},
        {"# comment only\n", ""},
    };
    for (const Case& c : cases)
    {
        writeFile(folder + "/os-release", c.content);
        EXPECT_STREQ(CSystemPosix::readOsReleaseName((folder + "/os-release").c_str()).c_str(), c.name) << c.content;
    }
    EXPECT_STREQ(CSystemPosix::readOsReleaseName((folder + "/missing").c_str()).c_str(), "");
}

TEST(CSystemPosix, CpuNameFromCpuinfoModelName)
{
    std::string path = makeTestFolder("CSystemPosixCpuinfo") + "/cpuinfo";
    writeFile(path, "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel\t\t: 158\n"
                    "model name\t: Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\nstepping\t: 10\n");
    EXPECT_STREQ(CSystem::getRegistryCpuName(path.c_str()).c_str(), "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");
    writeFile(path, "processor\t: 0\nmodel\t\t: 158\n");
    EXPECT_TRUE(CSystem::getRegistryCpuName(path.c_str()) == CSystem::getCpuBrandText());
}

void writeDevice(const std::string& devices, const char* slot, const char* pciClass, const char* vendor,
                 const char* device, const char* subVendor, const char* subDevice, const char* revision)
{
    std::string folder = devices + "/" + slot;
    std::filesystem::create_directories(folder);
    writeFile(folder + "/class", std::string(pciClass) + "\n");
    writeFile(folder + "/vendor", std::string(vendor) + "\n");
    writeFile(folder + "/device", std::string(device) + "\n");
    writeFile(folder + "/subsystem_vendor", std::string(subVendor) + "\n");
    writeFile(folder + "/subsystem_device", std::string(subDevice) + "\n");
    writeFile(folder + "/revision", std::string(revision) + "\n");
}

TEST(CSystemPosix, PciDisplayControllersInSlotOrder)
{
    std::string root = makeTestFolder("CSystemPosixPci");
    std::string devices = root + "/devices";
    writeDevice(devices, "0000:01:00.0", "0x030000", "0x10de", "0x2484", "0x1462", "0x3903", "0xa1");
    writeFile(devices + "/0000:01:00.0/mem_info_vram_total", "8589934592\n");
    writeDevice(devices, "0000:00:02.0", "0x030000", "0x8086", "0x3e92", "0x1028", "0x0869", "0x02");
    writeDevice(devices, "0000:00:1f.3", "0x040300", "0x8086", "0xa348", "0x1028", "0x0869", "0x10");
    writeDevice(devices, "0000:02:00.0", "0x038000", "0x1af4", "0x1050", "0x1af4", "0x1100", "0x01");
    std::string ids = root + "/pci.ids";
    writeFile(ids, "# pci.ids\n10de  NVIDIA Corporation\n\t2484  GA104 [GeForce RTX 3070]\n"
                   "\t\t1462 3903  Gaming card\n1af4  Red Hat, Inc.\n\t1041  Virtio network\n"
                   "8086  Intel Corporation\n\t3e92  CoffeeLake-S GT2 [UHD Graphics 630]\n");

    CDisplayAdapterList adapters = CSystemPosix::readPciDisplayAdapters(devices.c_str(), ids.c_str());
    ASSERT_EQ(adapters.getCount(), 3u);
    const CDisplayAdapterInfo& intel = *adapters[0];
    EXPECT_STREQ(intel.description.c_str(), "Intel Corporation CoffeeLake-S GT2 [UHD Graphics 630]");
    EXPECT_EQ(intel.vendorId, 0x8086u);
    EXPECT_EQ(intel.deviceId, 0x3e92u);
    EXPECT_EQ(intel.subSysId, 0x08691028u);
    EXPECT_EQ(intel.revision, 2u);
    EXPECT_EQ(intel.dedicatedVideoMemory, 0u);
    EXPECT_EQ(intel.adapterId, (0x02 << 3) | 0);
    EXPECT_EQ(intel.type, CDisplayAdapterInfo::C_TYPE_GPU);
    const CDisplayAdapterInfo& nvidia = *adapters[1];
    EXPECT_STREQ(nvidia.description.c_str(), "NVIDIA Corporation GA104 [GeForce RTX 3070]");
    EXPECT_EQ(nvidia.dedicatedVideoMemory, size_t(8) << 30);
    EXPECT_EQ(nvidia.adapterId, 1 << 8);
    EXPECT_EQ(nvidia.revision, 0xa1u);
    // Listed under its vendor only by another device: the slot names it.
    EXPECT_STREQ(adapters[2]->description.c_str(), "PCI display device 0000:02:00.0");

    adapters = CSystemPosix::readPciDisplayAdapters(devices.c_str(), nullptr);
    ASSERT_EQ(adapters.getCount(), 3u);
    EXPECT_STREQ(adapters[0]->description.c_str(), "PCI display device 0000:00:02.0");
    EXPECT_EQ(CSystemPosix::readPciDisplayAdapters((root + "/none").c_str(), nullptr).getCount(), 0u);
}

TEST(CSystemPosix, PciNameStopsAtVendorBoundary)
{
    std::string ids = makeTestFolder("CSystemPosixPciIds") + "/pci.ids";
    writeFile(ids, "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n\t73bf  Navi 21\n"
                   "10de  NVIDIA Corporation\n\t73bf  Not an AMD device\n");
    EXPECT_STREQ(CSystemPosix::lookupPciName(ids.c_str(), 0x1002, 0x73bf).c_str(),
                 "Advanced Micro Devices, Inc. [AMD/ATI] Navi 21");
    EXPECT_STREQ(CSystemPosix::lookupPciName(ids.c_str(), 0x1002, 0x1234).c_str(), "");
    EXPECT_STREQ(CSystemPosix::lookupPciName(ids.c_str(), 0x8086, 0x73bf).c_str(), "");
}

} // namespace
