#pragma once

#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <atomic>
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
    static constexpr uint32_t C_TIMESTAMP_NONE = 0;
    static constexpr uint32_t C_TIMESTAMP_MILLISECONDS = 1;
    static constexpr uint32_t C_TIMESTAMP_SECONDS_AND_MEMORY = 2;

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
    // Once this returns the listener is not called again, on any thread: it
    // waits for a message being heard elsewhere.
    void removeListener(TLogListener listener);

    uint32_t getLowestLevel() const { return m_lowestLevel; }
    uint32_t getTimeStampMode() const { return m_timeStampMode; }
    const char* getFileName() const { return m_fileName.c_str(); }
    // 1 for the name asked for; n when another running instance held the
    // names before and this log writes numberedName(name, n).
    uint32_t getFileNumber() const { return m_fileNumber; }

    // Closes the file and starts it anew with the log header (see reopenLog).
    // False when no file could be made.
    bool reopen(const char* name);

    // "x_log.txt" for 1, "x_log-2.txt" for 2: the name of a report of the
    // n-th of several running instances.
    static CString numberedName(const CString& path, uint32_t number);

    // Writes `ticks / frequency` seconds as printf's "%7.3f" would (exact
    // halves round up); returns the length. `out` holds at least 32 bytes.
    static uint32_t formatSeconds(char* out, uint64_t ticks, uint64_t frequency);

private:
    enum TAccept
    {
        C_ACCEPT_DROPPED,
        C_ACCEPT_WRITE,
        C_ACCEPT_CANNOT_OPEN
    };

    TAccept _accept(uint32_t level);
    void _write(const char* text, uint32_t level, bool heard);
    void _writeLine(const char* text, uint32_t level, bool heard);
    void _writeCut(const char* text, uint32_t level, bool heard);
    uint32_t _buildPrefix(char* prefix);
    void _tellListeners(const char* const* pieces, uint32_t pieceCount);
    bool _openFirstFreeName(const CString& name);
    void _writeHeader(FILE* file) const;
    void _mirror(const char* prefix, const char* indentation, const char* text);
    void _announceFile();

    CString m_fileName;
    uint32_t m_fileNumber;
    char* m_formatBuffer;
    uint16_t* m_wideFormatBuffer;
    uint32_t m_formatBufferSize;
    uint32_t m_lowestLevel;
    uint64_t m_startTime;
    uint32_t m_timeStampMode;
    CCriticalSection m_formatLock;
    CCriticalSection m_fileLock;
    std::atomic<bool> m_mirrorToDebugger;
    bool m_writeToFile;
    FILE* m_file;
    uint32_t m_indentationLength;
    char m_indentation[256];
    // Guarded by the global log lock, which is held while they are called.
    CArray<TLogListener> m_listeners;
    // Spares writers the global lock while nobody listens.
    std::atomic<uint32_t> m_listenerCount;
    // The memory figures of the time stamp, already formatted, and when
    // they were read (under the file lock).
    uint64_t m_memoryReadAt;
    char m_memoryText[64];
    uint32_t m_memoryTextLength;
};

// The global log; null before installLog and after uninstallLog.
CLog* getLog();
// Taken first by every path that logs: the global calls, a log's own
// printf, the listener walk and the crash report (before its own lock).
CCriticalSection& getGlobalLogLock();

void log(const char* format, ...) TAVRIN_PRINTF(1, 2);
void logLevel(uint32_t level, const char* format, ...) TAVRIN_PRINTF(2, 3);
void logList(uint32_t level, const char* format, va_list args);
// Bytes in the shared narrow formatting buffer (0 without a log).
uint32_t getLogSharedBufferSize();
// UTF-16 format; the formatted text is written as UTF-8 at level 1.
void logWide(const wchar_t* format, ...);
// Logs the calling thread's last system error with the system's text for it.
void logLastError();
void installLog();
void uninstallLog();
// False when no log file could be made.
bool reopenLog(const char* name);

} // namespace Engine
} // namespace Tavrin
