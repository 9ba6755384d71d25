#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <string>
#include <windows.h>

namespace Tavrin {
namespace Engine {

// A narrow path for the wide file calls.
// NOTE: only the wide calls take a path past MAX_PATH, and only in the
// "\\?\" form, which the system no longer cleans: "/" must become "\".
inline std::wstring toWidePath(const CString& path)
{
    CString spelled = path;
    bool drivePath = path.getLength() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    // Directories stop 12 characters short of MAX_PATH (room for an 8.3 name).
    if (drivePath && path.getLength() >= MAX_PATH - 12)
        spelled = "\\\\?\\" + path.replace("/", "\\");
    int count = MultiByteToWideChar(CP_ACP, 0, spelled.c_str(), -1, nullptr, 0);
    std::wstring wide(count > 0 ? static_cast<size_t>(count) : 1u, L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_ACP, 0, spelled.c_str(), -1, &wide[0], count);
    wide.resize(wide.size() - 1);
    return wide;
}

} // namespace Engine
} // namespace Tavrin
