#include "Engine/IKernel/System/CSystem.h"

#include "Engine/IKernel/IKernel.h"

#include <sys/statvfs.h>

namespace Tavrin {
namespace Engine {

namespace {

bool queryDisk(struct statvfs* info)
{
    return statvfs(IKernel::getExecutableFolder().c_str(), info) == 0;
}

} // namespace

float CSystem::getFreeDiskSpaceMb()
{
    struct statvfs info;
    return queryDisk(&info) ? static_cast<float>(static_cast<double>(info.f_bavail) * info.f_frsize / 1024.0 / 1024.0) : 0.0f;
}

float CSystem::getTotalDiskSpaceMb()
{
    struct statvfs info;
    return queryDisk(&info) ? static_cast<float>(static_cast<double>(info.f_blocks) * info.f_frsize / 1024.0 / 1024.0) : 0.0f;
}

} // namespace Engine
} // namespace Tavrin
