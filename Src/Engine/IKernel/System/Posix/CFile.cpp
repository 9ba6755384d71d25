#include "Engine/IKernel/System/CFile.h"

#include "Engine/IKernel/System/CFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tavrin {
namespace Engine {

namespace {

// Descriptors are stored plus one, so that descriptor 0 is not the null handle
// and the invalid-handle value (all bits set) is no descriptor.
void* toHandle(int descriptor)
{
    return reinterpret_cast<void*>(static_cast<intptr_t>(descriptor) + 1);
}

int toDescriptor(void* handle)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
}

// NOTE: POSIX has no share modes. They are kept among engine processes with
// open-file-description locks on bytes far past any real data: a shared lock
// on one byte says "someone reads", "someone writes", "someone refuses
// readers" or "someone refuses writers".
const off_t C_LOCK_BASE = static_cast<off_t>(0x7FFFFFFF00000000ll);
enum TShareByte
{
    C_BYTE_READS = 0,
    C_BYTE_WRITES = 1,
    C_BYTE_DENIES_READ = 2,
    C_BYTE_DENIES_WRITE = 3
};

struct flock lockRecord(short type, int byte)
{
    struct flock record = {};
    record.l_type = type;
    record.l_whence = SEEK_SET;
    record.l_start = C_LOCK_BASE + byte;
    record.l_len = 1;
    return record;
}

// -1: locks unsupported here; 0: someone else holds it; 1: free.
int isFree(int descriptor, int byte)
{
    struct flock record = lockRecord(F_WRLCK, byte);
    if (fcntl(descriptor, F_OFD_GETLK, &record) != 0)
        return -1;
    return record.l_type == F_UNLCK ? 1 : 0;
}

// Marks first, checks second: two racing opens may both fail, never both win.
// False only on a sharing conflict.
bool claimShare(int descriptor, bool reads, bool writes, uint32_t share)
{
    bool deniesRead = share != CFile::C_SHARE_READ;
    bool deniesWrite = share != CFile::C_SHARE_WRITE;
    const bool marks[4] = {reads, writes, deniesRead, deniesWrite};
    for (int byte = 0; byte < 4; ++byte)
    {
        struct flock record = lockRecord(F_RDLCK, byte);
        if (marks[byte] && fcntl(descriptor, F_OFD_SETLK, &record) != 0)
            return errno != EAGAIN && errno != EACCES; // no lock support: no sharing rules
    }
    // Each mark of ours conflicts with the opposite mark of anyone else.
    const int opposite[4] = {C_BYTE_DENIES_READ, C_BYTE_DENIES_WRITE, C_BYTE_READS, C_BYTE_WRITES};
    for (int byte = 0; byte < 4; ++byte)
        if (marks[byte] && isFree(descriptor, opposite[byte]) == 0)
            return false;
    return true;
}

} // namespace

void CFile::_open()
{
    CString path = CFileSystem::toNativePath(m_name.getFullPath());
    bool reads = m_mode != C_MODE_WRITE;
    bool writes = m_mode != C_MODE_READ;
    int flags = O_CLOEXEC | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
    if (writes)
        flags |= O_CREAT; // mode 1 truncates only once the sharing rules allow it
    int descriptor = open(path.c_str(), flags, 0666);
    if (descriptor < 0)
        return;
    struct stat info;
    if (fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode))
    {
        ::close(descriptor);
        errno = EISDIR;
        return;
    }
    // Share locks need a readable descriptor; a write-only file gets a second one.
    int lockDescriptor = reads ? descriptor : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (lockDescriptor >= 0 && !claimShare(lockDescriptor, reads, writes, m_share))
    {
        if (lockDescriptor != descriptor)
            ::close(lockDescriptor);
        ::close(descriptor);
        errno = EBUSY;
        return;
    }
    if (m_mode == C_MODE_WRITE && ftruncate(descriptor, 0) != 0)
    {
        int error = errno;
        if (lockDescriptor >= 0 && lockDescriptor != descriptor)
            ::close(lockDescriptor);
        ::close(descriptor);
        errno = error;
        return;
    }
    m_platform = lockDescriptor != descriptor ? lockDescriptor : -1;
    m_handle = toHandle(descriptor);
}

bool CFile::_queryLength(uint64_t& length)
{
    struct stat info;
    if (fstat(toDescriptor(m_handle), &info) != 0)
        return false;
    length = static_cast<uint64_t>(info.st_size);
    return true;
}

bool CFile::_read(void* buffer, uint32_t count, uint32_t& done)
{
    // A regular file answers short only at its end; signals may cut a call.
    int descriptor = toDescriptor(m_handle);
    char* target = static_cast<char*>(buffer);
    done = 0;
    while (done < count)
    {
        ssize_t got = ::read(descriptor, target + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += static_cast<uint32_t>(got);
    }
    return true;
}

bool CFile::_write(const void* buffer, uint32_t count, uint32_t& done)
{
    int descriptor = toDescriptor(m_handle);
    const char* source = static_cast<const char*>(buffer);
    done = 0;
    while (done < count)
    {
        ssize_t put = ::write(descriptor, source + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return done > 0;
        done += static_cast<uint32_t>(put);
    }
    return true;
}

bool CFile::_seek(int64_t offset, uint32_t origin, uint64_t& position)
{
    static const int whence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    off_t result = lseek(toDescriptor(m_handle), static_cast<off_t>(offset), whence[origin]);
    if (result < 0)
        return false;
    position = static_cast<uint64_t>(result);
    return true;
}

void CFile::_close()
{
    ::close(toDescriptor(m_handle));
    if (m_platform >= 0)
        ::close(static_cast<int>(m_platform));
    m_platform = -1;
}

} // namespace Engine
} // namespace Tavrin
