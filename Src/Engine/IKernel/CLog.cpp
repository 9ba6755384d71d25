#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/System/CTimer.h"
#include "Engine/IKernel/Types/CUnicode.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace Tavrin {
namespace Engine {

namespace {

CLog* globalLog = nullptr;
char* sharedBuffer = nullptr;
wchar_t* sharedWideBuffer = nullptr;
// Bytes in the narrow buffer; the wide one holds twice as many bytes.
size_t sharedBufferSize = 0;
TLogHeaderWriter headerSystemWriter = nullptr;

CCriticalSection& globalLogLock()
{
    static CCriticalSection lock;
    return lock;
}

void growSharedBuffers(size_t size)
{
    sharedBufferSize = size;
    sharedBuffer = static_cast<char*>(realloc(sharedBuffer, sharedBufferSize));
    sharedWideBuffer = static_cast<wchar_t*>(realloc(sharedWideBuffer, sharedBufferSize * 2));
}

size_t wideUnits()
{
    return sharedBufferSize * 2 / sizeof(wchar_t);
}

// "%s%s%s" of folder, "/" and name, cut to the 255 characters the log keeps.
void composeName(char* out, const char* name)
{
    snprintf(out, 256, "%s%s%s", IKernel::getExecutableFolder().c_str(), "/", name);
}

void composeDefaultName(char* out)
{
    CString name = IKernel::getApplicationShortName() + "_log.txt";
    composeName(out, name.c_str());
}

// Memory figures cost system calls; reading them for every message would cost
// more than the message itself, so they are refreshed ten times a second.
struct SMemoryFigures
{
    uint64_t readAt = 0;
    int workingSetMb = 0;
    int availableMb = 0;
};

void readMemoryFigures(SMemoryFigures& figures)
{
    uint64_t now = CTimer::readCounter();
    if (figures.readAt != 0 && now - figures.readAt < CTimer::getCounterFrequency() / 10)
        return;
    figures.readAt = now;
    figures.workingSetMb = static_cast<int>(CSystemServices::getWorkingSetBytes() / 1024 / 1000);
    figures.availableMb = static_cast<int>(CSystemServices::getAvailablePhysicalBytes() / 1024 / 1000);
}

SMemoryFigures memoryFigures;

// The full path of a log name; without the alias table (before the kernel
// install) names cannot be resolved and are taken as they stand.
CString resolveLogPath(const char* name)
{
    if (!CFileUtils::hasAliasArray())
        return CString(name);
    return CFileSystem::toNativePath(CFileName(name).getFullPath());
}

} // namespace

CLog::CLog(const char* fileName)
    : m_formatBuffer(static_cast<char*>(malloc(8192))),
      m_wideFormatBuffer(static_cast<uint16_t*>(malloc(16384))),
      m_formatBufferSize(8192),
      m_lowestLevel(2),
      m_startTime(CTimer::readCounter()),
      m_timeStampMode(C_TIMESTAMP_NONE),
      m_mirrorToDebugger(false),
      m_writeToFile(true),
      m_file(nullptr),
      m_indentationLength(0)
{
    snprintf(m_fileName, sizeof(m_fileName), "%s", fileName ? fileName : "");
    m_indentation[0] = '\0';
}

CLog::~CLog()
{
    if (globalLog == this)
        globalLog = nullptr;
    if (m_file)
        fclose(m_file);
    free(m_formatBuffer);
    free(m_wideFormatBuffer);
}

void CLog::setLowestLevel(uint32_t level)
{
    CCriticalSectionLock lock(m_fileLock);
    m_lowestLevel = level;
}

void CLog::setTimeStampMode(uint32_t mode)
{
    CCriticalSectionLock lock(m_fileLock);
    m_timeStampMode = mode;
}

void CLog::setWriteToFile(bool enabled)
{
    CCriticalSectionLock lock(m_fileLock);
    m_writeToFile = enabled;
}

void CLog::setMirrorToDebugger(bool enabled)
{
    m_mirrorToDebugger = enabled;
}

void CLog::setIndentation(const char* text)
{
    CCriticalSectionLock lock(m_fileLock);
    snprintf(m_indentation, sizeof(m_indentation), "%s", text ? text : "");
    m_indentationLength = static_cast<uint32_t>(strlen(m_indentation));
}

void CLog::addListener(TLogListener listener)
{
    m_listeners.add(listener);
}

void CLog::removeListener(TLogListener listener)
{
    m_listeners.removeAt(m_listeners.indexOf(listener));
}

bool CLog::_ensureOpen()
{
    CCriticalSectionLock lock(m_fileLock);
    if (!m_writeToFile || m_file)
        return true;
    m_file = fopen(m_fileName, "a");
    return m_file != nullptr;
}

void CLog::write(const char* text, uint32_t level)
{
    {
        CCriticalSectionLock lock(m_fileLock);
        if (level < m_lowestLevel)
            return;
    }
    if (!_ensureOpen())
    {
        CSystemServices::debugOutput("Cannot open log file !\n");
        return;
    }
    const char* newline = strchr(text, '\n');
    if (newline && newline[1] != '\0')
    {
        // Every line gets its own prefix.
        const char* piece = text;
        for (; newline; newline = strchr(piece, '\n'))
        {
            size_t length = static_cast<size_t>(newline - piece) + 1;
            char stackLine[512];
            char* line = length < sizeof(stackLine) ? stackLine : static_cast<char*>(malloc(length + 1));
            memcpy(line, piece, length);
            line[length] = '\0';
            _writeLine(line, level);
            if (line != stackLine)
                free(line);
            piece = newline + 1;
        }
        if (*piece)
            _writeLine(piece, level);
        return;
    }
    _writeLine(text, level);
}

void CLog::_buildPrefix(char* prefix, size_t size) const
{
    prefix[0] = '\0';
    if (m_timeStampMode == C_TIMESTAMP_MILLISECONDS)
        snprintf(prefix, size, "[%u ms] ", CTimer::getTickCount() % 1000000u);
    else if (m_timeStampMode == C_TIMESTAMP_SECONDS_AND_MEMORY)
    {
        readMemoryFigures(memoryFigures);
        snprintf(prefix, size, "[%7.3f s, %4d / %4d] ", CTimer::secondsBetween(m_startTime, CTimer::readCounter()),
                 memoryFigures.workingSetMb, memoryFigures.availableMb);
    }
}

void CLog::_writeLine(const char* text, uint32_t level)
{
    (void)level;
    char prefix[256];
    {
        CCriticalSectionLock lock(m_fileLock);
        _buildPrefix(prefix, sizeof(prefix));
        if (m_writeToFile && m_file)
        {
            if (prefix[0])
                fputs(prefix, m_file);
            if (m_indentationLength)
                fputs(m_indentation, m_file);
            fputs(text, m_file);
            fflush(m_file);
        }
    }
    if (m_listeners.getCount())
    {
        if (prefix[0])
            for (TLogListener listener : m_listeners)
                listener(prefix);
        if (m_indentationLength)
            for (TLogListener listener : m_listeners)
                listener(m_indentation);
        for (TLogListener listener : m_listeners)
            listener(text);
    }
    if (m_mirrorToDebugger)
    {
        if (prefix[0])
            CSystemServices::debugOutput(prefix);
        if (m_indentationLength)
            CSystemServices::debugOutput(m_indentation);
        CSystemServices::debugOutput(text);
    }
}

void CLog::printf(const char* format, ...)
{
    CCriticalSectionLock lock(m_formatLock);
    va_list args;
    for (;;)
    {
        va_start(args, format);
        int length = vsnprintf(m_formatBuffer, m_formatBufferSize, format, args);
        va_end(args);
        if (length < 0)
            return;
        if (static_cast<uint32_t>(length) < m_formatBufferSize)
            break;
        m_formatBufferSize *= 2;
        m_formatBuffer = static_cast<char*>(realloc(m_formatBuffer, m_formatBufferSize));
        m_wideFormatBuffer = static_cast<uint16_t*>(realloc(m_wideFormatBuffer, m_formatBufferSize * 2));
    }
    write(m_formatBuffer, 1);
}

void CLog::_writeHeader(FILE* file, const char* resolvedPath) const
{
    (void)resolvedPath;
    static const char separator[] =
        "============================================================================\n";
    fputs(separator, file);
    fprintf(file, "Log file of '%s'\n", IKernel::getExecutablePath().c_str());
    fputs(separator, file);
    fputs("\n", file);
    fprintf(file, "Free disk space: %.1f Mb\n", static_cast<double>(CSystem::getFreeDiskSpaceMb()));
    fprintf(file, "Total disk space: %.1f Mb\n", static_cast<double>(CSystem::getTotalDiskSpaceMb()));
    if (headerSystemWriter)
        headerSystemWriter(file);
    fputs("\n", file);
}

void CLog::reopen(const char* name)
{
    char composed[256];
    if (!name)
        composeDefaultName(composed);
    else if (strchr(name, '\\') || strchr(name, '/'))
        snprintf(composed, sizeof(composed), "%s", name);
    else
        composeName(composed, name);
    // Resolved before the file lock is taken: a bad name throws, and a throw logs.
    CString resolved = resolveLogPath(composed);
    CCriticalSectionLock lock(m_fileLock);
    if (m_file)
    {
        fclose(m_file);
        m_file = nullptr;
    }
    snprintf(m_fileName, sizeof(m_fileName), "%s", resolved.c_str());
    remove(m_fileName);
    FILE* file = fopen(m_fileName, "a");
    if (file)
    {
        // The system section may throw: the stream must not leak then.
        struct SCloser
        {
            FILE* file;
            ~SCloser() { fclose(file); }
        } closer{file};
        _writeHeader(file, m_fileName);
    }
    CSystemServices::debugOutput("Log file is ");
    CSystemServices::debugOutput(m_fileName);
    CSystemServices::debugOutput("\n\r");
}

CLog* getLog()
{
    return globalLog;
}

void logList(uint32_t level, const char* format, va_list args)
{
    CCriticalSectionLock lock(globalLogLock());
    if (!globalLog || !format)
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
        growSharedBuffers(sharedBufferSize * 2);
    }
    globalLog->write(sharedBuffer, level);
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
    CCriticalSectionLock lock(globalLogLock());
    if (!globalLog || !format)
        return;
    // vswprintf cannot measure: grow until the text fits (bounded, since an
    // unencodable argument fails at every size).
    for (;;)
    {
        va_list args;
        va_start(args, format);
        int length = vswprintf(sharedWideBuffer, wideUnits(), format, args);
        va_end(args);
        if (length >= 0)
            break;
        if (sharedBufferSize >= (64u << 20))
            return;
        growSharedBuffers(sharedBufferSize * 2);
    }
    int32_t length = 0;
    char* text = wcharToUtf8(sharedWideBuffer, &length);
    globalLog->write(text, 1);
    free(text);
}

void logLastError()
{
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
    CCriticalSectionLock lock(globalLogLock());
    if (!sharedBuffer)
        growSharedBuffers(4096);
    char name[256];
    composeDefaultName(name);
    globalLog = new CLog(name);
    globalLog->setTimeStampMode(CLog::C_TIMESTAMP_SECONDS_AND_MEMORY);
}

void uninstallLog()
{
    CCriticalSectionLock lock(globalLogLock());
    delete globalLog;
    globalLog = nullptr;
    free(sharedBuffer);
    free(sharedWideBuffer);
    sharedBuffer = nullptr;
    sharedWideBuffer = nullptr;
    sharedBufferSize = 0;
}

void reopenLog(const char* name)
{
    CLog* target = globalLog;
    if (target)
        target->reopen(name);
}

void setLogHeaderSystemWriter(TLogHeaderWriter writer)
{
    headerSystemWriter = writer;
}

} // namespace Engine
} // namespace Tavrin
