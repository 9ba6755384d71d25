#pragma once

#include "Engine/IKernel/Types/CString.h"

namespace Tavrin {
namespace Engine {

// Crash reports: the process, its modules and the call stack of a CPU
// context, written beside the executable and copied into the log; and the
// handler that turns a fatal signal into a report and an exception.
class CStackTrace
{
public:
    // `context` is the platform's captured CPU register record (CONTEXT on
    // Windows, ucontext_t elsewhere). Skipped on a thread already writing one.
    static void writeCrashReport(const void* context);
    // Reports the calling thread's current stack.
    static void dumpStackTrace();
    // Handles SIGSEGV and SIGILL from now on and reports into the given file.
    static void installCrashHandler(const char* crashFileName);
    // The first signal becomes a report and CInvalidOperationException;
    // later ones are ignored.
    static void onSignal(int signal);

    // The report file, resolved to a full path; an empty name writes reports
    // to the log only.
    static void setCrashFileName(const char* crashFileName);
    static CString getCrashFileName();

    // Whether a signal would still become a report and an exception.
    static bool isFirstSignalPending();

    // For the platform's signal plumbing: true for the process's first signal only.
    static bool _claimFirstSignal();
    // Reports the context of a signal and throws its exception, outside the
    // signal handler.
    [[noreturn]] static void _raiseSignal(int signal, const void* context);

private:
    [[noreturn]] static void _throwSignalException(int signal);
    static void _installSignalHandlers();
    // A relative name is taken from the current directory.
};

inline void dumpStackTrace()
{
    CStackTrace::dumpStackTrace();
}

} // namespace Engine
} // namespace Tavrin
