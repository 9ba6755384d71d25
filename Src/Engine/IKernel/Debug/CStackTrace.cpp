#include "Engine/IKernel/Debug/CStackTrace.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

char crashFileName[1024] = "crashLog.txt";

CCriticalSection& crashLock()
{
    static CCriticalSection lock;
    return lock;
}

void reportLine(FILE* file, const char* format, ...) TAVRIN_PRINTF(2, 3);
void reportLine(FILE* file, const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (file)
        fputs(line, file);
    log("%s", line);
}

} // namespace

void CStackTrace::writeCrashReport(const void*)
{
    FILE* file = fopen(crashFileName, "w");
    CCriticalSectionLock lock(crashLock());
    reportLine(file, "-- EXCEPTION DETECTED -----------------------\n");
    reportLine(file, "\nThread/Process:\n");
    reportLine(file, "Handle to process = %p\nIdProc = %d\nThread handle = %p\n", CSystemServices::getCurrentProcessHandle(),
               static_cast<int>(CSystemServices::getCurrentProcessId()), CSystemServices::getCurrentThreadHandle());
    reportLine(file, "\nSymbols table:\n");
    if (file)
        fclose(file);
}

void CStackTrace::dumpStackTrace()
{
    writeCrashReport(nullptr);
}

void CStackTrace::installCrashHandler(const char* name)
{
    snprintf(crashFileName, sizeof(crashFileName), "%s", name);
}

void CStackTrace::onSignal(int)
{
}

const char* CStackTrace::getCrashFileName()
{
    return crashFileName;
}

} // namespace Engine
} // namespace Tavrin
