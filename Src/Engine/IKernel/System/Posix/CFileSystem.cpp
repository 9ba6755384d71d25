#include "Engine/IKernel/System/CFileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tavrin {
namespace Engine {

namespace {

// Directories and links can be longer than PATH_MAX; this is where we give up.
const size_t C_MAXIMUM_PATH = 1u << 20;

bool isDirectory(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// One value of ~/.config/user-dirs.dirs: KEY="$HOME/folder" or KEY="/absolute".
bool readUserDirectory(const char* key, CString& value)
{
    const char* home = getenv("HOME");
    const char* config = getenv("XDG_CONFIG_HOME");
    CString file;
    if (config && config[0] == '/')
        file = CString(config) + "/user-dirs.dirs";
    else if (home && home[0])
        file = CString(home) + "/.config/user-dirs.dirs";
    else
        return false;
    FILE* stream = fopen(file.c_str(), "r");
    if (!stream)
        return false;
    bool found = false;
    char line[4096];
    size_t keyLength = strlen(key);
    while (!found && fgets(line, sizeof(line), stream))
    {
        if (strncmp(line, key, keyLength) != 0 || line[keyLength] != '=' || line[keyLength + 1] != '"')
            continue;
        char* text = line + keyLength + 2;
        char* close = strchr(text, '"');
        if (!close)
            continue;
        *close = '\0';
        if (strncmp(text, "$HOME", 5) == 0 && (text[5] == '/' || text[5] == '\0'))
        {
            // The home folder itself is how the file says "no such folder".
            if (!home || !home[0] || text[5] == '\0' || strcmp(text + 5, "/") == 0)
                continue;
            value = CString(home) + (text + 5);
        }
        else if (text[0] == '/')
            value = text;
        else
            continue;
        found = true;
    }
    fclose(stream);
    return found;
}

// A plain file of ours with no other name. Anything else at a report's name
// (a FIFO, another user's file, a hard link to a file elsewhere) was put
// there by someone else and is not written to.
bool isOwnPlainFile(int descriptor)
{
    struct stat info;
    return fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == geteuid();
}

// The file at `path`, created when missing; -1 with errno set otherwise.
// Neither call follows a symbolic link in the last place.
int openWithoutFollowing(const char* path)
{
    // Non-blocking: opening a FIFO for writing would wait for a reader.
    const int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int descriptor = open(path, flags);
    if (descriptor < 0 && errno == ENOENT)
        descriptor = open(path, flags | O_CREAT | O_EXCL, 0666);
    return descriptor;
}

} // namespace

int32_t CFileSystem::readCurrentDirectory(CString& directory)
{
    // POSIX has no length query: grow until the directory fits.
    for (size_t size = 256; size <= C_MAXIMUM_PATH; size *= 2)
    {
        char* buffer = static_cast<char*>(malloc(size));
        if (!buffer)
            return C_DIRECTORY_NO_LENGTH;
        if (getcwd(buffer, size))
        {
            directory.adopt(buffer, static_cast<int32_t>(strlen(buffer)));
            return C_DIRECTORY_READ;
        }
        int error = errno;
        free(buffer);
        if (error != ERANGE)
        {
            errno = error;
            return C_DIRECTORY_UNREADABLE;
        }
    }
    return C_DIRECTORY_NO_LENGTH;
}

bool CFileSystem::makeDirectory(const CString& path)
{
    CString native = toNativePath(path);
    if (mkdir(native.c_str(), 0777) == 0)
        return true;
    int error = errno;
    if (error == EEXIST && isDirectory(native.c_str()))
        return true;
    errno = error;
    return false;
}

bool CFileSystem::queryStatus(const CString& path, uint64_t* size, uint64_t* modificationTime)
{
    struct stat info;
    if (path.isEmpty() || stat(toNativePath(path).c_str(), &info) != 0)
        return false;
    if (size)
        *size = static_cast<uint64_t>(info.st_size);
    if (modificationTime)
        *modificationTime = static_cast<uint64_t>(info.st_mtime);
    return true;
}

CString CFileSystem::getTemporaryFolder()
{
    const char* folder = getenv("TMPDIR");
    CString result = folder && folder[0] ? folder : "/tmp";
    // The Windows call ends its answer with a separator; so do we.
    if (result[result.getLength() - 1] != '/')
        result += "/";
    return result;
}

CString CFileSystem::getExecutablePath()
{
    for (size_t size = 256; size <= C_MAXIMUM_PATH; size *= 2)
    {
        char* buffer = static_cast<char*>(malloc(size));
        if (!buffer)
            break;
        ssize_t length = readlink("/proc/self/exe", buffer, size);
        if (length < 0)
        {
            free(buffer);
            break;
        }
        if (static_cast<size_t>(length) < size)
        {
            buffer[length] = '\0';
            CString path;
            path.adopt(buffer, static_cast<int32_t>(length));
            return path;
        }
        free(buffer);
    }
    return CString();
}

bool CFileSystem::getDocumentsFolder(CString& folder)
{
    CString candidate;
    if (readUserDirectory("XDG_DOCUMENTS_DIR", candidate) && isDirectory(candidate.c_str()))
    {
        folder = candidate;
        return true;
    }
    const char* home = getenv("HOME");
    if (!home || !home[0])
        return false;
    candidate = CString(home) + "/Documents";
    if (!isDirectory(candidate.c_str()))
        return false;
    folder = candidate;
    return true;
}

// POSIX leaves a leading "//" to the system; Linux reads it as "/", so the
// pair folds into one separator like any other.
bool CFileSystem::hasNetworkPaths()
{
    return false;
}

CString CFileSystem::toNativePath(const CString& path)
{
    return path.replace("\\", "/");
}

FILE* CFileSystem::openFile(const CString& path, const char* mode)
{
    return fopen(path.c_str(), mode);
}

FILE* CFileSystem::openOwnFile(const CString& path, bool empty, int32_t* outcome)
{
    *outcome = C_OPEN_FAILED;
    CString native = toNativePath(path);
    int descriptor = -1;
    // Bounded: someone may put things at the name between two of our steps.
    for (int attempt = 0; attempt < 4 && descriptor < 0; ++attempt)
    {
        descriptor = openWithoutFollowing(native.c_str());
        if (descriptor >= 0 && !isOwnPlainFile(descriptor))
        {
            close(descriptor);
            descriptor = -1;
            errno = ELOOP;
        }
        if (descriptor >= 0)
            break;
        // ELOOP: a symbolic link (or the foreign file above) stands there; EEXIST:
        // the name appeared between the two opens.
        if ((errno != ELOOP && errno != EEXIST) || (errno == ELOOP && unlink(native.c_str()) != 0))
            return nullptr;
    }
    if (descriptor < 0)
        return nullptr;
    // NOTE: flock locks belong to the open file description, so a second
    // open of the same file conflicts even inside one process.
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0)
    {
        int error = errno;
        close(descriptor);
        if (error == EWOULDBLOCK)
            *outcome = C_OPEN_IN_USE;
        errno = error;
        return nullptr;
    }
    fcntl(descriptor, F_SETFL, O_APPEND);
    FILE* file = nullptr;
    if ((!empty || ftruncate(descriptor, 0) == 0) && (file = fdopen(descriptor, "a")) != nullptr)
    {
        *outcome = C_OPEN_DONE;
        return file;
    }
    int error = errno;
    close(descriptor);
    errno = error;
    return nullptr;
}

FILE* CFileSystem::openOwnFileToRead(const CString& path)
{
    int descriptor = open(toNativePath(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return nullptr;
    FILE* file = isOwnPlainFile(descriptor) ? fdopen(descriptor, "r") : nullptr;
    if (!file)
        close(descriptor);
    return file;
}

bool CFileSystem::removeFile(const CString& path)
{
    return unlink(toNativePath(path).c_str()) == 0;
}

bool CFileSystem::replaceFile(const CString& from, const CString& to)
{
    return rename(toNativePath(from).c_str(), toNativePath(to).c_str()) == 0;
}

bool CFileSystem::removeDirectory(const CString& path)
{
    return rmdir(toNativePath(path).c_str()) == 0;
}

} // namespace Engine
} // namespace Tavrin
