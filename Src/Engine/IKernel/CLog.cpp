#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/CKernelThrowReporter.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/System/CTimer.h"
#include "Engine/IKernel/Types/CUnicode.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

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

CCriticalSection& globalLogLock()
{
    static CCriticalSection lock;
    return lock;
}

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

// "%s%s%s" of folder, "/" and name, kept whole: a name cut short would name another file.
CString composeName(const char* name)
{
    return IKernel::getExecutableFolder() + "/" + name;
}

CString composeDefaultName()
{
    return composeName((IKernel::getApplicationShortName() + "_log.txt").c_str());
}

const char cannotOpenMessage[] = "Cannot open log file !\n";

// Names tried when other running instances hold the log's name.
const uint32_t maximumFileNumber = 16;

} // namespace

CLog::CLog(const char* fileName)
    : m_fileNumber(1),
      m_formatBuffer(static_cast<char*>(malloc(8192))),
      m_wideFormatBuffer(static_cast<uint16_t*>(malloc(16384))),
      m_formatBufferSize(m_formatBuffer && m_wideFormatBuffer ? 8192 : 0),
      m_lowestLevel(2),
      m_startTime(CTimer::readCounter()),
      m_timeStampMode(C_TIMESTAMP_NONE),
      m_mirrorToDebugger(false),
      m_writeToFile(true),
      m_file(nullptr),
      m_indentationLength(0),
      m_listenerCount(0),
      m_memoryReadAt(0),
      m_memoryTextLength(0)
{
    m_fileName = fileName ? fileName : "";
    m_indentation[0] = '\0';
    m_memoryText[0] = '\0';
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
    CCriticalSectionLock lock(globalLogLock());
    m_listeners.add(listener);
    m_listenerCount = static_cast<uint32_t>(m_listeners.getCount());
}

void CLog::removeListener(TLogListener listener)
{
    // Listeners are called under this lock: taking it waits for a message
    // that another thread is telling them. The listener's own thread holds it
    // already, so a listener may remove itself.
    CCriticalSectionLock lock(globalLogLock());
    m_listeners.removeAt(m_listeners.indexOf(listener));
    m_listenerCount = static_cast<uint32_t>(m_listeners.getCount());
}

// Caller holds the file lock.
CLog::TAccept CLog::_accept(uint32_t level)
{
    if (level < m_lowestLevel)
        return C_ACCEPT_DROPPED;
    if (m_writeToFile && !m_file)
    {
        int32_t outcome;
        m_file = CFileSystem::openOwnFile(m_fileName, false, &outcome);
        if (!m_file)
            return C_ACCEPT_CANNOT_OPEN;
    }
    return C_ACCEPT_WRITE;
}

void CLog::write(const char* text, uint32_t level)
{
    if (!text)
        return;
    if (!m_listenerCount)
    {
        // Decided once: a listener added from here on hears the next message.
        _write(text, level, false);
        return;
    }
    // The list is read and the listeners are called under the global lock,
    // in its place in the lock order (before the file lock).
    CCriticalSectionLock lock(globalLogLock());
    // A listener may log, and a nested log overwrites the shared buffer that
    // `text` may live in: the walk keeps a copy of its own, freed on every
    // way out (a listener may throw).
    size_t length = strlen(text) + 1;
    std::unique_ptr<char, void (*)(void*)> copy(static_cast<char*>(malloc(length)), free);
    if (copy)
        memcpy(copy.get(), text, length);
    // Out of memory: written, but not heard.
    _write(copy ? copy.get() : text, level, copy != nullptr);
}

void CLog::_write(const char* text, uint32_t level, bool heard)
{
    const char* newline = strchr(text, '\n');
    if (!newline || newline[1] == '\0')
    {
        _writeLine(text, level, heard);
        return;
    }
    TAccept accepted;
    {
        CCriticalSectionLock lock(m_fileLock);
        accepted = _accept(level);
    }
    if (accepted == C_ACCEPT_CANNOT_OPEN)
        CSystemServices::debugOutput(cannotOpenMessage);
    if (accepted == C_ACCEPT_WRITE)
        _writeCut(text, level, heard);
}

// Every line gets its own prefix.
void CLog::_writeCut(const char* text, uint32_t level, bool heard)
{
    const char* piece = text;
    for (const char* newline = strchr(piece, '\n'); newline; newline = strchr(piece, '\n'))
    {
        size_t length = static_cast<size_t>(newline - piece) + 1;
        char stackLine[1024];
        char* line = length < sizeof(stackLine) ? stackLine : static_cast<char*>(malloc(length + 1));
        if (!line)
        {
            // Out of memory: the rest goes out in one piece rather than not at all.
            _writeLine(piece, level, heard);
            return;
        }
        memcpy(line, piece, length);
        line[length] = '\0';
        _writeLine(line, level, heard);
        if (line != stackLine)
            free(line);
        piece = newline + 1;
    }
    if (*piece)
        _writeLine(piece, level, heard);
}

uint32_t CLog::formatSeconds(char* out, uint64_t ticks, uint64_t frequency)
{
    if (frequency == 0)
        frequency = 1;
    // Integer rounding to the millisecond: the same digits as "%7.3f" of the
    // quotient, at a fraction of the cost of printf's float conversion.
    uint64_t whole = ticks / frequency;
    uint64_t millis = ((ticks % frequency) * 1000 + frequency / 2) / frequency;
    if (millis == 1000)
    {
        ++whole;
        millis = 0;
    }
    char digits[24];
    uint32_t count = 0;
    do
    {
        digits[count++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    uint32_t length = 0;
    for (uint32_t width = count + 4; width < 7; ++width)
        out[length++] = ' ';
    while (count)
        out[length++] = digits[--count];
    out[length++] = '.';
    out[length++] = static_cast<char>('0' + millis / 100);
    out[length++] = static_cast<char>('0' + millis / 10 % 10);
    out[length++] = static_cast<char>('0' + millis % 10);
    out[length] = '\0';
    return length;
}

// Caller holds the file lock. Returns the prefix length.
uint32_t CLog::_buildPrefix(char* prefix)
{
    prefix[0] = '\0';
    if (m_timeStampMode == C_TIMESTAMP_MILLISECONDS)
        return static_cast<uint32_t>(snprintf(prefix, 256, "[%u ms] ", CTimer::getTickCount() % 1000000u));
    if (m_timeStampMode != C_TIMESTAMP_SECONDS_AND_MEMORY)
        return 0;
    uint64_t now = CTimer::readCounter();
    // Reading the memory counters costs more than the rest of a message, so
    // the figures are refreshed ten times a second, not for every line.
    if (m_memoryTextLength == 0 || now - m_memoryReadAt >= CTimer::getCounterFrequency() / 10)
    {
        m_memoryReadAt = now;
        int workingSet = static_cast<int>(CSystemServices::getWorkingSetBytes() / 1024 / 1000);
        int available = static_cast<int>(CSystemServices::getAvailablePhysicalBytes() / 1024 / 1000);
        int length = snprintf(m_memoryText, sizeof(m_memoryText), " s, %4d / %4d] ", workingSet, available);
        m_memoryTextLength = length > 0 ? static_cast<uint32_t>(length) : 0;
    }
    prefix[0] = '[';
    uint32_t length = 1 + formatSeconds(prefix + 1, now - m_startTime, CTimer::getCounterFrequency());
    memcpy(prefix + length, m_memoryText, m_memoryTextLength + 1);
    return length + m_memoryTextLength;
}

// Caller holds the global log lock. Each piece goes to every listener in
// turn; a listener removed meanwhile (by a listener, or by itself) is not
// called again, one added hears the next message.
void CLog::_tellListeners(const char* const* pieces, uint32_t pieceCount)
{
    CArray<TLogListener> listeners = m_listeners;
    for (uint32_t piece = 0; piece < pieceCount; ++piece)
    {
        if (!pieces[piece][0])
            continue;
        for (TLogListener listener : listeners)
            if (m_listeners.indexOf(listener) != CArray<TLogListener>::C_NOT_FOUND)
                listener(pieces[piece]);
    }
}

void CLog::_writeLine(const char* text, uint32_t level, bool heard)
{
    char prefix[256];
    uint32_t prefixLength = 0;
    // The indentation as it was for this line: a listener may change it.
    char indentation[sizeof(m_indentation)];
    indentation[0] = '\0';
    TAccept accepted;
    {
        CCriticalSectionLock lock(m_fileLock);
        accepted = _accept(level);
        if (accepted == C_ACCEPT_WRITE)
        {
            if (m_indentationLength)
                memcpy(indentation, m_indentation, m_indentationLength + 1);
            prefixLength = _buildPrefix(prefix);
            if (m_writeToFile && m_file)
            {
                if (prefixLength)
                    fwrite(prefix, 1, prefixLength, m_file);
                if (m_indentationLength)
                    fwrite(m_indentation, 1, m_indentationLength, m_file);
                fputs(text, m_file);
                fflush(m_file);
            }
        }
    }
    if (accepted == C_ACCEPT_CANNOT_OPEN)
        CSystemServices::debugOutput(cannotOpenMessage);
    if (accepted != C_ACCEPT_WRITE)
        return;
    if (heard)
    {
        const char* pieces[] = {prefix, indentation, text};
        _tellListeners(pieces, 3);
    }
    if (m_mirrorToDebugger)
    {
        if (prefixLength)
            CSystemServices::debugOutput(prefix);
        if (indentation[0])
            CSystemServices::debugOutput(indentation);
        CSystemServices::debugOutput(text);
    }
}

void CLog::printf(const char* format, ...)
{
    // The global lock first, as every logging path takes it: a listener that
    // this message calls may log through the global calls.
    CCriticalSectionLock globalLock(globalLogLock());
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
        uint32_t size = m_formatBufferSize ? m_formatBufferSize * 2 : 8192;
        while (size <= static_cast<uint32_t>(length))
            size *= 2;
        char* narrow = static_cast<char*>(realloc(m_formatBuffer, size));
        if (!narrow)
            return;
        m_formatBuffer = narrow;
        uint16_t* wide = static_cast<uint16_t*>(realloc(m_wideFormatBuffer, size * 2u));
        if (!wide)
            return;
        m_wideFormatBuffer = wide;
        m_formatBufferSize = size;
    }
    write(m_formatBuffer, 1);
}

void CLog::_writeHeader(FILE* file) const
{
    static const char separator[] =
        "============================================================================\n";
    fputs(separator, file);
    fprintf(file, "Log file of '%s'\n", IKernel::getExecutablePath().c_str());
    fputs(separator, file);
    fputs("\n", file);
    fprintf(file, "Free disk space: %.1f Mb\n", static_cast<double>(CSystem::getFreeDiskSpaceMb()));
    fprintf(file, "Total disk space: %.1f Mb\n", static_cast<double>(CSystem::getTotalDiskSpaceMb()));
    CSystem::writeSystemInfo(file);
    fputs("\n", file);
}

CString CLog::numberedName(const CString& path, uint32_t number)
{
    if (number <= 1)
        return path;
    const char* text = path.c_str();
    const char* name = text;
    for (const char* c = text; *c; ++c)
        if (*c == '/' || *c == '\\')
            name = c + 1;
    const char* dot = strrchr(name, '.');
    int32_t stemLength = static_cast<int32_t>((dot ? dot : text + path.getLength()) - text);
    CString suffix;
    suffix.format("-%u", number);
    return path.left(stemLength) + suffix + (dot ? dot : "");
}

// Caller holds the file lock. The first of the numbered names that no other
// running instance holds: two instances never write into one file.
bool CLog::_openFirstFreeName(const CString& name)
{
    int32_t outcome = CFileSystem::C_OPEN_FAILED;
    for (uint32_t number = 1; number <= maximumFileNumber; ++number)
    {
        CString candidate = numberedName(name, number);
        FILE* file = CFileSystem::openOwnFile(candidate, true, &outcome);
        if (outcome == CFileSystem::C_OPEN_IN_USE)
            continue;
        m_fileName = candidate;
        m_fileNumber = number;
        m_file = file;
        return file != nullptr;
    }
    return false;
}

bool CLog::reopen(const char* name)
{
    CString composed;
    if (!name)
        composed = composeDefaultName();
    else if (strchr(name, '\\') || strchr(name, '/'))
        composed = name;
    else
        composed = composeName(name);
    // Resolved before the file lock is taken: a bad name throws, and a throw logs.
    CString resolved = CFileName::toNativeFullPath(composed.c_str());
    bool opened;
    {
        CCriticalSectionLock lock(m_fileLock);
        if (m_file)
        {
            fclose(m_file);
            m_file = nullptr;
        }
        m_fileName = resolved;
        m_fileNumber = 1;
        // Emptied, not deleted, and kept open: the name is held against other
        // instances from now on, and a line that the header's system section
        // logs follows what came before it.
        opened = _openFirstFreeName(resolved);
        if (opened)
        {
            _writeHeader(m_file);
            fflush(m_file);
        }
    }
    if (IKernel::getLogMirror())
    {
        CSystemServices::debugOutput("Log file is ");
        CSystemServices::debugOutput(m_fileName.c_str());
        CSystemServices::debugOutput("\n\r");
    }
    if (opened && m_fileNumber > 1)
    {
        CString line = "Log file '" + resolved + "' is in use by another instance of the program: this one writes '" +
                       m_fileName + "'\n";
        write(line.c_str(), 2);
    }
    return opened;
}

CLog* getLog()
{
    return globalLog;
}

CCriticalSection& getGlobalLogLock()
{
    return globalLogLock();
}

uint32_t getLogSharedBufferSize()
{
    CCriticalSectionLock lock(globalLogLock());
    return static_cast<uint32_t>(sharedBufferSize);
}

void logList(uint32_t level, const char* format, va_list args)
{
    CCriticalSectionLock lock(globalLogLock());
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
    if (!globalLog || !format || !sharedWideBuffer)
        return;
    for (;;)
    {
        size_t units = wideUnits();
        va_list args;
        va_start(args, format);
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
    CCriticalSectionLock lock(globalLogLock());
    if (!sharedBuffer && !growSharedBuffers(4096))
        return;
    // A second install must not leak the first log and its open file.
    delete globalLog;
    globalLog = new CLog(composeDefaultName().c_str());
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

bool reopenLog(const char* name)
{
    // The header's system section may log (a failed adapter enumeration)
    // while the file lock is held: take the global lock first, in its order.
    CCriticalSectionLock lock(globalLogLock());
    CLog* target = globalLog;
    return target && target->reopen(name);
}

} // namespace Engine
} // namespace Tavrin
