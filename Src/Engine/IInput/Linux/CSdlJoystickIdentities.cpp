#include "Engine/IInput/Linux/CSdlJoystickIdentities.h"

namespace Tavrin {
namespace Engine {

namespace {

const uint64_t C_NONE = CArray<int>::C_NOT_FOUND;

bool listsInstance(const CArray<CSdlJoystickIdentities::SDevice>& attached, int32_t instance)
{
    for (const CSdlJoystickIdentities::SDevice& device : attached)
        if (device.instance == instance)
            return true;
    return false;
}

} // namespace

CSdlJoystickIdentities& CSdlJoystickIdentities::get()
{
    static CSdlJoystickIdentities s_identities;
    return s_identities;
}

bool CSdlJoystickIdentities::knows(int32_t instance) const
{
    return twinOf(instance) != 0xFFFFFFFFu;
}

void CSdlJoystickIdentities::update(const CArray<SDevice>& attached)
{
    for (_SEntry& entry : m_entries)
        if (entry.attached && !listsInstance(attached, entry.device.instance))
            entry.attached = false;
    for (const SDevice& device : attached)
        if (!knows(device.instance))
            _add(device);
}

uint32_t CSdlJoystickIdentities::twinOf(int32_t instance) const
{
    for (const _SEntry& entry : m_entries)
        if (entry.attached && entry.device.instance == instance)
            return entry.twin;
    return 0xFFFFFFFFu;
}

void CSdlJoystickIdentities::_add(const SDevice& device)
{
    uint64_t returning = _findReturning(device);
    if (returning != C_NONE)
    {
        _SEntry& entry = m_entries[returning];
        entry.device = device;
        entry.attached = true;
        return;
    }
    m_entries.add(_SEntry{device, _countTwins(device.guid), true});
}

// The unplugged device this one most likely is: the same serial, else the
// same node, else the lowest twin number. A different serial is another device.
uint64_t CSdlJoystickIdentities::_findReturning(const SDevice& device) const
{
    uint64_t byNode = C_NONE, byOrder = C_NONE;
    for (uint64_t i = 0; i < m_entries.getCount(); ++i)
    {
        const _SEntry& entry = m_entries[i];
        if (entry.attached || !(entry.device.guid == device.guid))
            continue;
        bool bothSerials = !entry.device.serial.isEmpty() && !device.serial.isEmpty();
        if (bothSerials && entry.device.serial == device.serial)
            return i;
        if (bothSerials)
            continue;
        if (byNode == C_NONE && !device.path.isEmpty() && entry.device.path == device.path)
            byNode = i;
        if (byOrder == C_NONE || entry.twin < m_entries[byOrder].twin)
            byOrder = i;
    }
    return byNode != C_NONE ? byNode : byOrder;
}

uint32_t CSdlJoystickIdentities::_countTwins(const CString& guid) const
{
    uint32_t twins = 0;
    for (const _SEntry& entry : m_entries)
        if (entry.device.guid == guid)
            ++twins;
    return twins;
}

} // namespace Engine
} // namespace Tavrin
