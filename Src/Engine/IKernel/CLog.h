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

// Hears every piece of output (prefix, indentation, text) of the messages
// written while it is registered. Listeners are called one at a time, in the
// order the pieces were written, and never under a log lock: a message that
// another thread logs meanwhile is told after the running call returns,
// perhaps on the listener's thread. So a listener may log, and may wait for
// a thread that logs; it must not wait for a thread that removes a listener
// (removeListener waits for the running call).
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
    // waits for a listener call running on another thread.
    void removeListener(TLogListener listener);
    // Tells the listeners what was written while the calling thread held the
    // global log lock; paths that hold it call this once they let it go.
    void tellListeners();

    uint32_t getLowestLevel() const { return m_lowestLevel; }
    uint32_t getTimeStampMode() const { return m_timeStampMode; }
    const char* getFileName() const { return m_fileName.c_str(); }
    // Numbered names a log tries before it gives up.
    static constexpr uint32_t C_MAXIMUM_FILE_NUMBER = 16;

    // 1 for the name asked for; n when the names before could not be opened
    // (most often: other running instances hold them) and this log writes
    // numberedName(name, n).
    uint32_t getFileNumber() const { return m_fileNumber; }
    // How many of the numbered names the last reopen found in use.
    uint32_t getNamesInUse() const { return m_namesInUse; }

    // Closes the file and starts it anew with the log header (see reopenLog).
    // False, with the system's error set, when no file could be made.
    bool reopen(const char* name);

    // "x_log.txt" for 1, "x_log-2.txt" for 2: the name of a report of the
    // n-th of several running instances.
    static CString numberedName(const CString& path, uint32_t number);

    // The system's text for an error code as a phrase for a message: no line
    // end, no full stop.
    static CString errorPhrase(int32_t code);

    // Writes `ticks / frequency` seconds as printf's "%7.3f" would (exact
    // halves round up); returns the length. `out` holds at least 32 bytes.
    static uint32_t formatSeconds(char* out, uint64_t ticks, uint64_t frequency);

private:
    struct _SHeardMessage;

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
    bool _growFormatBuffers(uint32_t length);
    void _queueHeard(const char* prefix, const char* indentation, const char* text);
    _SHeardMessage* _takeHeard(bool nested, CArray<TLogListener>& listeners);
    void _tellMessage(const _SHeardMessage& message, const CArray<TLogListener>& listeners);
    bool _startCall(TLogListener listener);
    void _endCall();
    void _endTelling();
    bool _hasFinishedCall(uint64_t call);
    bool _openFirstFreeName(const CString& name);
    void _writeHeader(FILE* file) const;
    void _mirror(const char* prefix, const char* indentation, const char* text);
    void _announceFile();

    CString m_fileName;
    uint32_t m_fileNumber;
    uint32_t m_namesInUse;
    // Why the first name was refused; empty when it was in use.
    CString m_firstRefusal;
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
    // Guards the listeners and what they have yet to hear; taken after the
    // file lock, and no other lock is taken while it is held.
    CCriticalSection m_listenerLock;
    CArray<TLogListener> m_listeners;
    // Spares writers the listener lock while nobody listens.
    std::atomic<uint32_t> m_listenerCount;
    _SHeardMessage* m_heardFirst;
    _SHeardMessage* m_heardLast;
    std::atomic<uint32_t> m_heardCount;
    // Whether a thread is telling the listeners; the calls it started and finished.
    bool m_telling;
    uint64_t m_callsStarted;
    uint64_t m_callsFinished;
    // The memory figures of the time stamp, already formatted, and when
    // they were read (under the file lock).
    uint64_t m_memoryReadAt;
    char m_memoryText[64];
    uint32_t m_memoryTextLength;
};

// The global log; null before installLog and after uninstallLog.
CLog* getLog();

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
