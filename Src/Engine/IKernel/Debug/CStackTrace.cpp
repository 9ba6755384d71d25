#include "Engine/IKernel/Debug/CStackTrace.h"

#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CGlobalLogLock.h"
#include "Engine/IKernel/CKernelThrowReporter.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Debug/CStackWalker.h"
#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

// Kept whole: a name cut short would name another file. Never destroyed,
// like the reporter that asks for reports: a throw during static destruction
// still finds its file's name and the lock.
CString& crashFilePath()
{
    static CString* name = new CString("crashLog.txt");
    return *name;
}
std::atomic<bool> s_firstSignal(true);
// The system section of a report can itself throw, and every throw asks for
// a report: the nested request on the same thread is skipped.
thread_local bool t_writingReport = false;

CCriticalSection& crashLock()
{
    static CCriticalSection* lock = new CCriticalSection();
    return *lock;
}

struct _SReportGuard
{
    _SReportGuard() { t_writingReport = true; }
    ~_SReportGuard() { t_writingReport = false; }
};

// Closes the report on every way out, exceptions included.
struct _SReportFile
{
    FILE* file;
    ~_SReportFile() { close(); }
    void close()
    {
        if (file)
            fclose(file);
        file = nullptr;
    }
};

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

void writeModule(void* user, const SStackModule& module)
{
    FILE* file = static_cast<FILE*>(user);
    if (file)
        fprintf(file, "Module %s, %p:%08x\n", module.path, reinterpret_cast<void*>(module.base),
                static_cast<uint32_t>(module.size));
    log("Module %s, %08x:%08x\n", module.path, static_cast<uint32_t>(module.base), static_cast<uint32_t>(module.size));
}

const char* imageName(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '\\' || *c == '/')
            name = c + 1;
    return name;
}

void writeFrame(void* user, const SStackFrame& frame)
{
    char address[32];
    const char* module = "????";
    const char* symbol = "????";
    if (frame.hasModule)
    {
        module = imageName(frame.moduleImage ? frame.moduleImage : "????");
        snprintf(address, sizeof(address), "%p", reinterpret_cast<void*>(frame.programCounter));
        symbol = frame.symbol ? frame.symbol : address;
    }
    const char* source = frame.line > 0 && frame.sourceFile ? frame.sourceFile : "????";
    uint64_t offset = frame.programCounter - (frame.hasModule ? frame.moduleBase : 0);
    reportLine(static_cast<FILE*>(user), "%s!%s() %p %p %s(%d)\n", module, symbol, reinterpret_cast<void*>(offset),
               reinterpret_cast<void*>(frame.programCounter), source, frame.line);
}

// Without a name (no folder for reports) the report goes to the log only.
FILE* openReportFile()
{
    if (crashFilePath().isEmpty())
        return nullptr;
    int32_t outcome;
    return CFileSystem::openOwnFile(crashFilePath(), true, &outcome);
}

void writeHead(FILE* file)
{
    reportLine(file, "-- EXCEPTION DETECTED -----------------------\n");
    reportLine(file, "\nThread/Process:\n");
    reportLine(file, "Handle to process = %p\nIdProc = %d\nThread handle = %p\n",
               CSystemServices::getCurrentProcessHandle(), static_cast<int>(CSystemServices::getCurrentProcessId()),
               CSystemServices::getCurrentThreadHandle());
    reportLine(file, "\nSymbols table:\n");
}

void writeReport(const void* context)
{
    CStackWalker walker;
    _SReportFile report = {openReportFile()};
    if (const char* failure = walker.open())
    {
        reportLine(report.file, "%s", failure);
        return;
    }

    walker.begin();
    writeHead(report.file);
    walker.visitModules(writeModule, report.file);
    reportLine(report.file, "\nCall Stack:\n");
    walker.walk(context, writeFrame, report.file);
    if (report.file)
    {
        fputs("\nRegisters:\n", report.file);
        fputs("Could not print x64 registers!\r\n", report.file);
        fputs("\nSystem:\n", report.file);
        CSystem::writeSystemInfo(report.file);
    }
    walker.close();
    report.close();
}

} // namespace

void CStackTrace::writeCrashReport(const void* context)
{
    if (t_writingReport)
        return;
    // Also while the listeners hear the report: one that asks for a report is skipped.
    _SReportGuard guard;
    {
        // Every line of the report is logged: the global log lock comes first,
        // as on every path that logs, or a thread logging when a listener
        // throws and a thread writing a report would each wait for the other's lock.
        CGlobalLogLock logLock;
        // Taken before the file is created: a report opened while another is
        // being written would overwrite it from the start and leave its tail.
        CCriticalSectionLock lock(crashLock());
        writeReport(context);
    }
    if (CLog* log = getLog())
        log->tellListeners();
}

void CStackTrace::installCrashHandler(const char* crashFileName)
{
    _installSignalHandlers();
    setCrashFileName(crashFileName);
}

void CStackTrace::onSignal(int signal)
{
    if (!_claimFirstSignal())
        return;
    dumpStackTrace();
    _throwSignalException(signal);
}

bool CStackTrace::isFirstSignalPending()
{
    return s_firstSignal.load();
}

bool CStackTrace::_claimFirstSignal()
{
    return s_firstSignal.exchange(false);
}

void CStackTrace::_raiseSignal(int signal, const void* context)
{
    writeCrashReport(context);
    _throwSignalException(signal);
}

void CStackTrace::_throwSignalException(int signal)
{
    // The report of the signal's own context is written: the usual report
    // of the throw site (this function) would only replace it.
    CString number;
    number.format("%d", signal);
    throw CInvalidOperationException(CString("Signal received: ") + number + "\n", "Engine/IKernel/Debug/CStackTrace",
                                     1102);
}

void CStackTrace::setCrashFileName(const char* crashFileName)
{
    installKernelThrowReporter();
    CString resolved;
    if (!crashFileName || crashFileName[0])
        resolved = CFileName::toNativeFullPath(crashFileName ? crashFileName : "crashLog.txt");
    CCriticalSectionLock lock(crashLock());
    crashFilePath() = resolved;
}

CString CStackTrace::getCrashFileName()
{
    CCriticalSectionLock lock(crashLock());
    return crashFilePath();
}

} // namespace Engine
} // namespace Tavrin
