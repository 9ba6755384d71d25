#pragma once

#include "Engine/IKernel/System/CSystem.h"

namespace Tavrin {
namespace Engine {

// The Linux sources of the system section, readable from any folder so that
// recorded copies of them can stand in for the machine's.
class CSystemPosix
{
public:
    // PRETTY_NAME of an os-release file, else NAME and VERSION_ID; empty without either.
    static CString readOsReleaseName(const char* path);
    // Display controllers (PCI class 0x03) below a sysfs devices folder, in
    // slot order, named from a pci.ids file when one is given and readable.
    static CDisplayAdapterList readPciDisplayAdapters(const char* devicesFolder, const char* pciIdsPath);
    // "Vendor Device" from a pci.ids file; empty when either is not listed.
    static CString lookupPciName(const char* pciIdsPath, uint32_t vendorId, uint32_t deviceId);
};

} // namespace Engine
} // namespace Tavrin
