#pragma once

namespace Tavrin {
namespace Engine {

// Crash reports: the process, its threads and modules and the call stack of a
// CPU context, written beside the executable and copied into the log.
class CStackTrace
{
public:
    // `context` is the platform's captured CPU register record.
    static void writeCrashReport(const void* context);
    // Reports the calling thread's current stack.
    static void dumpStackTrace();
    static void installCrashHandler(const char* crashFileName);
    static void onSignal(int signal);
    static const char* getCrashFileName();
};

inline void dumpStackTrace()
{
    CStackTrace::dumpStackTrace();
}

} // namespace Engine
} // namespace Tavrin
