#include "Engine/IKernel/System/CSystemServices.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <pthread.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/syscall.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace Tavrin {
namespace Engine {

namespace {

// Reads "Name:   1234 kB" from a /proc status-style file, in bytes.
uint64_t readKilobyteField(const char* path, const char* name)
{
    FILE* file = fopen(path, "r");
    if (!file)
        return 0;
    char line[256];
    uint64_t bytes = 0;
    size_t nameLength = strlen(name);
    while (fgets(line, sizeof(line), file))
    {
        if (strncmp(line, name, nameLength) == 0)
        {
            bytes = strtoull(line + nameLength, nullptr, 10) * 1024;
            break;
        }
    }
    fclose(file);
    return bytes;
}

} // namespace

uint64_t CSystemServices::getWorkingSetBytes()
{
    return readKilobyteField("/proc/self/status", "VmRSS:");
}

uint64_t CSystemServices::getAvailablePhysicalBytes()
{
    uint64_t available = readKilobyteField("/proc/meminfo", "MemAvailable:");
    if (available)
        return available;
    struct sysinfo info;
    return sysinfo(&info) == 0 ? static_cast<uint64_t>(info.freeram) * info.mem_unit : 0;
}

void CSystemServices::debugOutput(const char* text)
{
    // The debugger's line ends ("\n\r") would leave a stray carriage return
    // on a terminal.
    for (const char* cut; (cut = strchr(text, '\r')); text = cut + 1)
        fwrite(text, 1, static_cast<size_t>(cut - text), stderr);
    fputs(text, stderr);
}

int32_t CSystemServices::getLastError()
{
    return errno;
}

void CSystemServices::setLastError(int32_t code)
{
    errno = code;
}

char* CSystemServices::getErrorText(int32_t code)
{
    // Same shape as the system message text on Windows: one line ending in CR LF.
    // strerror's buffer is shared between threads; glibc's strerror_r is not.
    char buffer[256];
    const char* message = strerror_r(code, buffer, sizeof(buffer));
    size_t length = strlen(message);
    char* text = static_cast<char*>(malloc(length + 3));
    if (!text)
        return nullptr;
    memcpy(text, message, length);
    memcpy(text + length, "\r\n", 3);
    return text;
}

void CSystemServices::freeErrorText(char* text)
{
    free(text);
}

uint32_t CSystemServices::getCurrentThreadId()
{
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

uint32_t CSystemServices::getCurrentProcessId()
{
    return static_cast<uint32_t>(getpid());
}

void* CSystemServices::getCurrentProcessHandle()
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(getpid()));
}

void* CSystemServices::getCurrentThreadHandle()
{
    return reinterpret_cast<void*>(pthread_self());
}

CString CSystemServices::getBootIdentity()
{
    FILE* file = fopen("/proc/sys/kernel/random/boot_id", "r");
    if (!file)
        return CString();
    char text[64];
    size_t length = fread(text, 1, sizeof(text) - 1, file);
    fclose(file);
    while (length > 0 && isspace(static_cast<unsigned char>(text[length - 1])))
        --length;
    text[length] = '\0';
    return CString(text);
}

bool showMessageBox(void*, const char* text, const char* caption)
{
    // No message box service here: the same facts go to standard error, and
    // nobody confirmed them with OK.
    fprintf(stderr, "%s\n%s\n", caption, text);
    return false;
}

} // namespace Engine
} // namespace Tavrin
