#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/CGlobalLogLock.h"
#include "Engine/IKernel/CLogGlobals.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/System/CTimer.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace Tavrin {
namespace Engine {

namespace {

const char cannotOpenMessage[] = "Cannot open log file !\n";

} // namespace

CLog::CLog(const char* fileName)
    : m_fileNumber(1),
      m_namesInUse(0),
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
      m_heardFirst(nullptr),
      m_heardLast(nullptr),
      m_heardCount(0),
      m_telling(false),
      m_callsStarted(0),
      m_callsFinished(0),
      m_memoryReadAt(0),
      m_memoryTextLength(0)
{
    m_fileName = fileName ? fileName : "";
    m_indentation[0] = '\0';
    m_memoryText[0] = '\0';
}

CLog::~CLog()
{
    forgetGlobalLog(this);
    if (m_file)
        fclose(m_file);
    CArray<TLogListener> none;
    while (void* message = _takeHeard(false, none))
        free(message);
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

void CLog::setIndentation(const char* text)
{
    CCriticalSectionLock lock(m_fileLock);
    snprintf(m_indentation, sizeof(m_indentation), "%s", text ? text : "");
    m_indentationLength = static_cast<uint32_t>(strlen(m_indentation));
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
    // Decided once: a listener added from here on hears the next message.
    _write(text, level, m_listenerCount != 0);
    tellListeners();
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
            if (heard)
                _queueHeard(prefix, indentation, text);
        }
    }
    if (accepted == C_ACCEPT_CANNOT_OPEN)
        CSystemServices::debugOutput(cannotOpenMessage);
    if (accepted != C_ACCEPT_WRITE)
        return;
    if (m_mirrorToDebugger)
        _mirror(prefix, indentation, text);
}

void CLog::printf(const char* format, ...)
{
    {
        // The global lock first, as every logging path takes it.
        CGlobalLogLock globalLock;
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
            if (!_growFormatBuffers(static_cast<uint32_t>(length)))
                return;
        }
        write(m_formatBuffer, 1);
    }
    tellListeners();
}

bool CLog::_growFormatBuffers(uint32_t length)
{
    uint32_t size = m_formatBufferSize ? m_formatBufferSize * 2 : 8192;
    while (size <= length)
        size *= 2;
    char* narrow = static_cast<char*>(realloc(m_formatBuffer, size));
    if (!narrow)
        return false;
    m_formatBuffer = narrow;
    uint16_t* wide = static_cast<uint16_t*>(realloc(m_wideFormatBuffer, size * 2u));
    if (!wide)
        return false;
    m_wideFormatBuffer = wide;
    m_formatBufferSize = size;
    return true;
}

} // namespace Engine
} // namespace Tavrin
