#include "Engine/IKernel/System/CFileSystem.h"

#include "Engine/IKernel/System/Windows/CWidePath.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shlobj.h>

namespace Tavrin {
namespace Engine {

namespace {

// Far beyond what the ANSI calls can take; guards a growing buffer.
const DWORD C_MAXIMUM_PATH = 32768;

uint64_t toUnixSeconds(const FILETIME& time)
{
    uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    // 100 ns ticks since 1601-01-01; 11644473600 s separate 1601 from 1970.
    uint64_t seconds = ticks / 10000000ull;
    return seconds >= 11644473600ull ? seconds - 11644473600ull : 0;
}

// A plain file with no other name; a link or a junction is opened as itself
// (FILE_FLAG_OPEN_REPARSE_POINT) and ends up here as not plain.
bool isPlainFile(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(handle, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
           info.nNumberOfLinks <= 1;
}

// A C runtime stream owning `handle`; null, with the handle closed, on failure.
FILE* streamOnHandle(HANDLE handle, int flags, const char* mode)
{
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor < 0)
    {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, mode);
    if (!file)
        _close(descriptor);
    return file;
}

} // namespace

int32_t CFileSystem::readCurrentDirectory(CString& directory)
{
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0)
        return C_DIRECTORY_NO_LENGTH;
    char* buffer = static_cast<char*>(malloc(size));
    if (!buffer)
        return C_DIRECTORY_NO_LENGTH;
    DWORD length = GetCurrentDirectoryA(size, buffer);
    // A larger answer means the directory changed since the length query.
    if (length == 0 || length >= size)
    {
        free(buffer);
        return C_DIRECTORY_UNREADABLE;
    }
    directory.adopt(buffer, static_cast<int32_t>(length));
    return C_DIRECTORY_READ;
}

bool CFileSystem::makeDirectory(const CString& path)
{
    std::wstring wide = toWidePath(path);
    if (CreateDirectoryW(wide.c_str(), nullptr))
        return true;
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    SetLastError(error);
    return false;
}

bool CFileSystem::queryStatus(const CString& path, uint64_t* size, uint64_t* modificationTime)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.isEmpty() || !GetFileAttributesExW(toWidePath(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    if (size)
        *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (modificationTime)
        *modificationTime = toUnixSeconds(data.ftLastWriteTime);
    return true;
}

CString CFileSystem::getTemporaryFolder()
{
    DWORD size = GetTempPathA(0, nullptr);
    if (size == 0)
        return CString();
    char* buffer = static_cast<char*>(malloc(size + 1));
    if (!buffer)
        return CString();
    DWORD length = GetTempPathA(size + 1, buffer);
    if (length == 0 || length > size)
    {
        free(buffer);
        return CString();
    }
    CString folder;
    folder.adopt(buffer, static_cast<int32_t>(length));
    return folder;
}

CString CFileSystem::getExecutablePath()
{
    for (DWORD size = 256; size <= C_MAXIMUM_PATH; size *= 2)
    {
        char* buffer = static_cast<char*>(malloc(size));
        if (!buffer)
            break;
        DWORD length = GetModuleFileNameA(nullptr, buffer, size);
        // A full buffer means the path was cut: try a larger one.
        if (length > 0 && length < size)
        {
            CString path;
            path.adopt(buffer, static_cast<int32_t>(length));
            return path;
        }
        free(buffer);
        if (length == 0)
            break;
    }
    return CString();
}

bool CFileSystem::getDocumentsFolder(CString& folder)
{
    char buffer[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return false;
    folder = buffer;
    return !folder.isEmpty();
}

// Both \\server\share\x and //server/share/x name a share on another machine.
bool CFileSystem::hasNetworkPaths()
{
    return true;
}

CString CFileSystem::toNativePath(const CString& path)
{
    return path;
}

FILE* CFileSystem::openFile(const CString& path, const char* mode)
{
    std::wstring wideMode(mode, mode + strlen(mode));
    return _wfopen(toWidePath(path).c_str(), wideMode.c_str());
}

FILE* CFileSystem::openOwnFile(const CString& path, bool empty, int32_t* outcome)
{
    *outcome = C_OPEN_FAILED;
    std::wstring wide = toWidePath(path);
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Bounded: someone may put things at the name between two of our steps.
    for (int attempt = 0; attempt < 4 && handle == INVALID_HANDLE_VALUE; ++attempt)
    {
        // Others may read; a second writer (another instance) gets a sharing violation.
        handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
        {
            if (GetLastError() == ERROR_SHARING_VIOLATION)
                *outcome = C_OPEN_IN_USE;
            return nullptr;
        }
        if (isPlainFile(handle))
            break;
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        // Deletes the link itself, not what it points to.
        if (!DeleteFileW(wide.c_str()))
            return nullptr;
    }
    if (handle == INVALID_HANDLE_VALUE || (empty && !SetEndOfFile(handle)))
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        return nullptr;
    }
    FILE* file = streamOnHandle(handle, _O_APPEND | _O_TEXT, "a");
    if (file)
        *outcome = C_OPEN_DONE;
    return file;
}

FILE* CFileSystem::openOwnFileToRead(const CString& path)
{
    // The temporary and cache folders are the user's own here; links are still refused.
    HANDLE handle = CreateFileW(toWidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    if (!isPlainFile(handle))
    {
        CloseHandle(handle);
        return nullptr;
    }
    return streamOnHandle(handle, _O_RDONLY | _O_TEXT, "r");
}

bool CFileSystem::removeFile(const CString& path)
{
    return DeleteFileW(toWidePath(path).c_str()) != 0;
}

bool CFileSystem::replaceFile(const CString& from, const CString& to)
{
    // NOTE: fails while another process holds `to` open without delete
    // sharing (a C runtime reader does); the caller keeps the old file then.
    return MoveFileExW(toWidePath(from).c_str(), toWidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool CFileSystem::removeDirectory(const CString& path)
{
    return RemoveDirectoryW(toWidePath(path).c_str()) != 0;
}

} // namespace Engine
} // namespace Tavrin
