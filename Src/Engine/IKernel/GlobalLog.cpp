#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/CGlobalLogLock.h"
#include "Engine/IKernel/CKernelThrowReporter.h"
#include "Engine/IKernel/CLogGlobals.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/Types/CUnicode.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>

namespace Tavrin {
namespace Engine {

namespace {

CLog* globalLog = nullptr;
char* sharedBuffer = nullptr;
wchar_t* sharedWideBuffer = nullptr;
// Bytes in the narrow buffer; the wide one holds twice as many bytes.
size_t sharedBufferSize = 0;

// Past this a wide format that keeps failing is taken as unconvertible.
const size_t maximumWideBufferBytes = 64u << 20;

// Keeps the old buffers when the heap refuses.
bool growSharedBuffers(size_t size)
{
    char* narrow = static_cast<char*>(realloc(sharedBuffer, size));
    if (!narrow)
        return false;
    sharedBuffer = narrow;
    wchar_t* wide = static_cast<wchar_t*>(realloc(sharedWideBuffer, size * 2));
    if (!wide)
        return false;
    sharedWideBuffer = wide;
    sharedBufferSize = size;
    return true;
}

size_t wideUnits()
{
    return sharedBufferSize * 2 / sizeof(wchar_t);
}

} // namespace

CLog* getLog()
{
    return globalLog;
}

void forgetGlobalLog(const CLog* log)
{
    if (globalLog == log)
        globalLog = nullptr;
}

uint32_t getLogSharedBufferSize()
{
    CGlobalLogLock lock;
    return static_cast<uint32_t>(sharedBufferSize);
}

namespace {

// The listeners hear what a global call wrote once its lock is let go.
void tellGlobalListeners()
{
    if (CLog* target = globalLog)
        target->tellListeners();
}

void writeFormatted(uint32_t level, const char* format, va_list args)
{
    CGlobalLogLock lock;
    if (!globalLog || !format || !sharedBuffer)
        return;
    for (;;)
    {
        va_list attempt;
        va_copy(attempt, args);
        int length = vsnprintf(sharedBuffer, sharedBufferSize, format, attempt);
        va_end(attempt);
        if (length < 0)
            return;
        if (static_cast<size_t>(length) < sharedBufferSize)
            break;
        if (!growSharedBuffers(sharedBufferSize * 2))
            return;
    }
    globalLog->write(sharedBuffer, level);
}

void writeWide(const wchar_t* format, va_list formatArgs)
{
    CGlobalLogLock lock;
    if (!globalLog || !format || !sharedWideBuffer)
        return;
    for (;;)
    {
        size_t units = wideUnits();
        va_list args;
        va_copy(args, formatArgs);
        errno = 0;
        int length = vswprintf(sharedWideBuffer, units, format, args);
        int error = errno;
        va_end(args);
        // NOTE: glibc answers -1 when the text does not fit, mingw's C99
        // runtime the length it needed (like snprintf): both mean grow.
        if (length >= 0 && static_cast<size_t>(length) < units)
            break;
        if (length < 0 && error == EILSEQ)
            return;
        if (sharedBufferSize >= maximumWideBufferBytes || !growSharedBuffers(sharedBufferSize * 2))
            return;
    }
    int32_t length = 0;
    char* text = wcharToUtf8(sharedWideBuffer, &length);
    globalLog->write(text, 1);
    free(text);
}

} // namespace

void logList(uint32_t level, const char* format, va_list args)
{
    writeFormatted(level, format, args);
    tellGlobalListeners();
}

void log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    logList(1, format, args);
    va_end(args);
}

void logLevel(uint32_t level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    logList(level, format, args);
    va_end(args);
}

void logWide(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    writeWide(format, args);
    va_end(args);
    tellGlobalListeners();
}

void logLastError()
{
    // Read first: anything the log does could change it.
    int32_t code = CSystemServices::getLastError();
    CLog* target = globalLog;
    if (!target)
        return;
    target->printf("### Win32 error code: %d ###\n", code);
    char* text = CSystemServices::getErrorText(code);
    if (text)
        target->write(text, 1);
    CSystemServices::freeErrorText(text);
}

void installLog()
{
    installKernelThrowReporter();
    CGlobalLogLock lock;
    if (!sharedBuffer && !growSharedBuffers(4096))
        return;
    // A second install must not leak the first log and its open file.
    delete globalLog;
    globalLog = new CLog(composeDefaultLogName().c_str());
    globalLog->setTimeStampMode(CLog::C_TIMESTAMP_SECONDS_AND_MEMORY);
}

void uninstallLog()
{
    CGlobalLogLock lock;
    delete globalLog;
    globalLog = nullptr;
    free(sharedBuffer);
    free(sharedWideBuffer);
    sharedBuffer = nullptr;
    sharedWideBuffer = nullptr;
    sharedBufferSize = 0;
}

bool reopenLog(const char* name)
{
    // The header's system section may log (a failed adapter enumeration)
    // while the file lock is held: take the global lock first, in its order.
    bool opened;
    {
        CGlobalLogLock lock;
        CLog* target = globalLog;
        opened = target && target->reopen(name);
    }
    tellGlobalListeners();
    return opened;
}

} // namespace Engine
} // namespace Tavrin
