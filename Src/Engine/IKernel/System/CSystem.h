#pragma once

#include <cstdio>

namespace Tavrin {
namespace Engine {

// Describes the machine: disk space of the executable's drive and (with the
// system section) the operating system, processors, memory and adapters.
class CSystem
{
public:
    // Megabytes (bytes / 1024 / 1024) on the executable folder's drive:
    // available to the calling user, and in all; 0.0 when the query fails.
    static float getFreeDiskSpaceMb();
    static float getTotalDiskSpaceMb();
};

} // namespace Engine
} // namespace Tavrin
