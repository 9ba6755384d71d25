#include "Engine/IKernel/System/CFile.h"

#include "Engine/IKernel/System/Windows/CWidePath.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

void CFile::_open()
{
    DWORD access = m_mode == C_MODE_READ ? GENERIC_READ : m_mode == C_MODE_WRITE ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE;
    DWORD share = m_share == C_SHARE_READ ? FILE_SHARE_READ : m_share == C_SHARE_WRITE ? FILE_SHARE_WRITE : 0;
    DWORD creation = m_mode == C_MODE_READ ? OPEN_EXISTING : m_mode == C_MODE_WRITE ? CREATE_ALWAYS : OPEN_ALWAYS;
    HANDLE handle = CreateFileW(toWidePath(m_name.getFullPath()).c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_handle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool CFile::_queryLength(uint64_t& length)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_handle, &size))
        return false;
    length = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool CFile::_read(void* buffer, uint32_t count, uint32_t& done)
{
    DWORD got = 0;
    BOOL ok = ReadFile(m_handle, buffer, count, &got, nullptr);
    done = got;
    return ok != 0;
}

bool CFile::_write(const void* buffer, uint32_t count, uint32_t& done)
{
    DWORD put = 0;
    BOOL ok = WriteFile(m_handle, buffer, count, &put, nullptr);
    done = put;
    return ok != 0 || put > 0;
}

bool CFile::_seek(int64_t offset, uint32_t origin, uint64_t& position)
{
    static const DWORD method[3] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER distance;
    LARGE_INTEGER result;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_handle, distance, &result, method[origin]))
        return false;
    position = static_cast<uint64_t>(result.QuadPart);
    return true;
}

void CFile::_close()
{
    CloseHandle(m_handle);
}

} // namespace Engine
} // namespace Tavrin
