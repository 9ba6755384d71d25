#include "Engine/IKernel/System/Posix/CSystemPosix.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace Tavrin {
namespace Engine {

namespace {

const char* const s_pciIdsPaths[] = {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"};

// First number of a small sysfs attribute file ("0x030000\n"); 0 when unreadable.
uint64_t readNumber(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "r");
    if (!file)
        return 0;
    char text[64] = {};
    size_t length = fread(text, 1, sizeof(text) - 1, file);
    fclose(file);
    text[length] = '\0';
    return strtoull(text, nullptr, 0);
}

std::vector<std::string> listSlots(const char* folder)
{
    std::vector<std::string> slots;
    DIR* directory = opendir(folder);
    if (!directory)
        return slots;
    while (dirent* entry = readdir(directory))
        if (entry->d_name[0] != '.')
            slots.push_back(entry->d_name);
    closedir(directory);
    // Directory order is arbitrary; slot order is what lspci shows.
    std::sort(slots.begin(), slots.end());
    return slots;
}

// "dddd:bb:ss.f" packed as domain, bus, slot and function.
int64_t slotIdentifier(const std::string& slot)
{
    unsigned domain = 0, bus = 0, device = 0, function = 0;
    if (sscanf(slot.c_str(), "%x:%x:%x.%x", &domain, &bus, &device, &function) != 4)
        return 0;
    return (static_cast<int64_t>(domain) << 16) | (bus << 8) | (device << 3) | function;
}

CString driverName(const std::string& deviceFolder)
{
    char target[512];
    ssize_t length = readlink((deviceFolder + "/driver").c_str(), target, sizeof(target) - 1);
    if (length <= 0)
        return CString();
    target[length] = '\0';
    const char* name = strrchr(target, '/');
    return CString(name ? name + 1 : target);
}

CString describe(const std::string& slot, const std::string& deviceFolder, const char* pciIdsPath,
                 uint32_t vendorId, uint32_t deviceId)
{
    CString name = pciIdsPath ? CSystemPosix::lookupPciName(pciIdsPath, vendorId, deviceId) : CString();
    if (!name.isEmpty())
        return name;
    CString text = CString("PCI display device ") + slot.c_str();
    CString driver = driverName(deviceFolder);
    return driver.isEmpty() ? text : text + " (" + driver + ")";
}

} // namespace

CString CSystemPosix::lookupPciName(const char* pciIdsPath, uint32_t vendorId, uint32_t deviceId)
{
    FILE* file = fopen(pciIdsPath, "r");
    if (!file)
        return CString();
    char line[512];
    CString vendor;
    CString result;
    while (fgets(line, sizeof(line), file))
    {
        line[strcspn(line, "\r\n")] = '\0';
        char* end = nullptr;
        if (line[0] != '\t' && line[0] != '#' && line[0])
        {
            // A new vendor: stop when ours has ended without the device.
            if (!vendor.isEmpty())
                break;
            if (strtoul(line, &end, 16) == vendorId && end == line + 4)
                vendor = end + strspn(end, " ");
        }
        else if (!vendor.isEmpty() && line[0] == '\t' && line[1] != '\t')
        {
            if (strtoul(line + 1, &end, 16) == deviceId && end == line + 5)
            {
                result = vendor + " " + (end + strspn(end, " "));
                break;
            }
        }
    }
    fclose(file);
    return result;
}

CDisplayAdapterList CSystemPosix::readPciDisplayAdapters(const char* devicesFolder, const char* pciIdsPath)
{
    CDisplayAdapterList adapters;
    for (const std::string& slot : listSlots(devicesFolder))
    {
        std::string folder = std::string(devicesFolder) + "/" + slot;
        if ((readNumber(folder + "/class") >> 16) != 0x03)
            continue;
        std::shared_ptr<CDisplayAdapterInfo> adapter = std::make_shared<CDisplayAdapterInfo>();
        adapter->vendorId = static_cast<uint32_t>(readNumber(folder + "/vendor"));
        adapter->deviceId = static_cast<uint32_t>(readNumber(folder + "/device"));
        // Packed the way Windows reports it: subsystem device above subsystem vendor.
        adapter->subSysId = static_cast<uint32_t>((readNumber(folder + "/subsystem_device") << 16) |
                                                  readNumber(folder + "/subsystem_vendor"));
        adapter->revision = static_cast<uint32_t>(readNumber(folder + "/revision"));
        // Only some drivers tell their video memory (amdgpu does).
        adapter->dedicatedVideoMemory = static_cast<size_t>(readNumber(folder + "/mem_info_vram_total"));
        adapter->adapterId = slotIdentifier(slot);
        adapter->description = describe(slot, folder, pciIdsPath, adapter->vendorId, adapter->deviceId);
        adapters.add(adapter);
    }
    return adapters;
}

CDisplayAdapterList CSystem::enumerateDisplayAdapters()
{
    const char* ids = nullptr;
    for (const char* path : s_pciIdsPaths)
        if (!ids && access(path, R_OK) == 0)
            ids = path;
    return CSystemPosix::readPciDisplayAdapters("/sys/bus/pci/devices", ids);
}

} // namespace Engine
} // namespace Tavrin
