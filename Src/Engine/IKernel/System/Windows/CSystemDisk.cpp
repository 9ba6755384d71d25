#include "Engine/IKernel/System/CSystem.h"

#include "Engine/IKernel/IKernel.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

namespace {

bool queryDisk(ULARGE_INTEGER* available, ULARGE_INTEGER* total)
{
    CString folder = IKernel::getExecutableFolder() + "\\";
    return GetDiskFreeSpaceExA(folder.c_str(), available, total, nullptr) != 0;
}

} // namespace

float CSystem::getFreeDiskSpaceMb()
{
    ULARGE_INTEGER available, total;
    return queryDisk(&available, &total) ? static_cast<float>(available.QuadPart / 1024.0 / 1024.0) : 0.0f;
}

float CSystem::getTotalDiskSpaceMb()
{
    ULARGE_INTEGER available, total;
    return queryDisk(&available, &total) ? static_cast<float>(total.QuadPart / 1024.0 / 1024.0) : 0.0f;
}

} // namespace Engine
} // namespace Tavrin
