#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Which physical joystick is which, for as long as the program runs. Devices
// of one model share SDL's GUID; each gets a twin number that stays its own
// while it is unplugged, so that an id never moves to its twin and a device
// plugged back in gets its number again. Twins are told apart by serial, then
// by device node, then, as a last resort, by plug order.
class CSdlJoystickIdentities
{
public:
    // One attached device as SDL and its device node describe it.
    struct SDevice
    {
        int32_t instance;
        CString guid;
        CString path;   // empty when the device has no node (virtual ones)
        CString serial; // empty when it offers none
    };

    // The table of the process (SDL instance ids are never reused).
    static CSdlJoystickIdentities& get();

    // Whether the table already knows this attached instance.
    bool knows(int32_t instance) const;
    // Brings the table up to date: instances not listed went away; listed
    // ones the table does not know yet get their twin number, in list order.
    void update(const CArray<SDevice>& attached);
    // The twin number of an attached instance, or 0xFFFFFFFF.
    uint32_t twinOf(int32_t instance) const;

private:
    struct _SEntry
    {
        SDevice device;
        uint32_t twin;
        bool attached;
    };

    void _add(const SDevice& device);
    uint64_t _findReturning(const SDevice& device) const;
    uint32_t _countTwins(const CString& guid) const;

    CArray<_SEntry> m_entries;
};

} // namespace Engine
} // namespace Tavrin
