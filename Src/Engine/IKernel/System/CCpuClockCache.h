#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The process's raw MHz figure kept in a small text file, so that the later
// processes of one boot skip the measure. A figure holds for the boot and the
// high-resolution counter frequency it was measured in; without a boot
// identity nothing is read or stored. Failures are silent: the caller measures.
class CCpuClockCache
{
public:
    // Figures outside this range are not a clock: the file was tampered with.
    static constexpr uint32_t C_MAXIMUM_MHZ = 100000;

    CCpuClockCache(const CString& path, const CString& bootIdentity, uint64_t counterFrequency);

    // The stored figure when it belongs to this boot and frequency; 0 otherwise.
    uint32_t read() const;
    // Replaces the file in one step, so that a concurrent reader sees the old
    // figure or the new one, never a part; false when it cannot be written.
    bool store(uint32_t mhz) const;

private:
    bool _isUsable() const;
    // The file's text up to the figure.
    CString _header() const;

    CString m_path;
    CString m_bootIdentity;
    uint64_t m_counterFrequency;
};

} // namespace Engine
} // namespace Tavrin
