#pragma once

#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#define TAVRIN_PRINTF(formatIndex, firstArgument) __attribute__((format(TAVRIN_PRINTF_FORMAT, formatIndex, firstArgument)))

namespace Tavrin {
namespace Engine {

typedef void (*TLogListener)(const char* text);

// The process's text log: level filter, line cutting, time stamp prefix,
// a flush per message, optional debugger mirror and listeners.
class CLog
{
public:
    static const uint32_t C_TIMESTAMP_NONE = 0;
    static const uint32_t C_TIMESTAMP_MILLISECONDS = 1;
    static const uint32_t C_TIMESTAMP_SECONDS_AND_MEMORY = 2;

    explicit CLog(const char* fileName);
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // The single writer beneath every logging call.
    void write(const char* text, uint32_t level);
    // Formats into the object's own buffer and writes at level 1.
    void printf(const char* format, ...) TAVRIN_PRINTF(2, 3);

    void setLowestLevel(uint32_t level);
    void setTimeStampMode(uint32_t mode);
    void setWriteToFile(bool enabled);
    void setMirrorToDebugger(bool enabled);
    void setIndentation(const char* text);
    void addListener(TLogListener listener);
    void removeListener(TLogListener listener);

    uint32_t getLowestLevel() const { return m_lowestLevel; }
    uint32_t getTimeStampMode() const { return m_timeStampMode; }
    const char* getFileName() const { return m_fileName; }

    // Closes the file and starts it anew with the log header (see reopenLog).
    void reopen(const char* name);

private:
    void _writeLine(const char* text, uint32_t level);
    bool _ensureOpen();
    void _buildPrefix(char* prefix, size_t size) const;
    void _writeHeader(FILE* file, const char* resolvedPath) const;

    char m_fileName[256];
    char* m_formatBuffer;
    uint16_t* m_wideFormatBuffer;
    uint32_t m_formatBufferSize;
    uint32_t m_lowestLevel;
    uint64_t m_startTime;
    uint32_t m_timeStampMode;
    CCriticalSection m_formatLock;
    CCriticalSection m_fileLock;
    bool m_mirrorToDebugger;
    bool m_writeToFile;
    FILE* m_file;
    uint32_t m_indentationLength;
    char m_indentation[256];
    CArray<TLogListener> m_listeners;
};

// The global log; null before installLog and after uninstallLog.
CLog* getLog();

void log(const char* format, ...) TAVRIN_PRINTF(1, 2);
void logLevel(uint32_t level, const char* format, ...) TAVRIN_PRINTF(2, 3);
void logList(uint32_t level, const char* format, va_list args);
// UTF-16 format; the formatted text is written as UTF-8 at level 1.
void logWide(const wchar_t* format, ...);
// Logs the calling thread's last system error with the system's text for it.
void logLastError();
void installLog();
void uninstallLog();
void reopenLog(const char* name);

} // namespace Engine
} // namespace Tavrin
