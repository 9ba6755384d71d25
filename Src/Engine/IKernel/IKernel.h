#pragma once

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The kernel module: process facts shared by every other part of the engine,
// and the install that starts the log, the crash handler and the managers.
class IKernel
{
public:
    // Reference counted: only the first install and the last uninstall work.
    static void install();
    static void uninstall();

    static uint32_t getArgumentCount() { return s_arguments ? static_cast<uint32_t>(s_arguments->getCount()) : 0; }
    static const CString& getArgument(uint32_t index) { return (*s_arguments)[index]; }
    static double getTimerFrequency() { return s_timerFrequency; }
    static bool isSIMDNoiseVerified() { return s_simdNoiseVerified; }
    static void setSIMDNoiseVerified(bool verified) { s_simdNoiseVerified = verified; }
    static const CString& getApplicationName() { return s_applicationName; }
    static const CString& getApplicationShortName() { return s_applicationShortName; }
    static const CString& getExecutableFileName() { return s_executableFileName; }
    static const CString& getExecutableFolder() { return s_executableFolder; }
    static const CString& getExecutablePath() { return s_executablePath; }
    static const CString& getRuntimeLibraryPath() { return s_runtimeLibraryPath; }
    // Where the log and the crash report go: the executable's folder unless
    // the program chose another before the first install.
    static const CString& getReportFolder() { return s_reportFolder.isEmpty() ? s_executableFolder : s_reportFolder; }
    static void setReportFolder(const char* folder) { s_reportFolder = folder ? folder : ""; }
    // Whether the log is copied to the debugger's output (standard error on
    // Linux); on unless the program switched it off before the first install.
    static bool getLogMirror() { return s_logMirror; }
    static void setLogMirror(bool enabled) { s_logMirror = enabled; }
    // A listener that every log the install starts has from its first line
    // (a program's own copy of the log); none unless set before the install.
    static void setLogListener(TLogListener listener) { s_logListener = listener; }
    // A program that found no folder fit for its reports (and said so) runs
    // without a log file and crash file.
    static bool areReportsEnabled() { return s_reportsEnabled; }
    static void setReportsEnabled(bool enabled) { s_reportsEnabled = enabled; }
    static uint32_t getProcessorCount() { return s_processorCount; }
    static uint32_t getInstallCount() { return s_installCount; }

    // Splits an executable's full path into file name, folder and short name.
    // A path without separator takes `currentDirectory` as its folder.
    static void setExecutablePath(const char* fullPath, const char* currentDirectory);
    static void setApplicationName(const char* name) { s_applicationName = name; }
    static void setProcessorCount(uint32_t count) { s_processorCount = count; }

    // Tests switch off the slow parts of crash reports (the CPU speed
    // measurement) that the product keeps.
    static bool isTestMode() { return s_testMode; }
    static void setTestMode(bool enabled) { s_testMode = enabled; }

    // A program whose first window should not share the processors with the
    // install's benchmark holds it back (set before the install) and starts
    // it once the window is up. The uninstall runs one still held back, so
    // its figure is always logged.
    static void setBenchmarkDeferred(bool deferred);
    static void startDeferredBenchmark();

protected:
    static void _gatherProcessFacts();
    static void _configureLog();
    static void _startReports();
    static void _createGlobalObjects();
    static void _runStartupChecks();
    static void _destroyGlobalObjects();

    static uint32_t s_installCount;
    static CArray<CString>* s_arguments;
    static double s_timerFrequency;
    static bool s_simdNoiseVerified;
    static CString s_applicationName;
    static CString s_applicationShortName;
    static CString s_executableFileName;
    static CString s_executableFolder;
    static CString s_executablePath;
    static CString s_runtimeLibraryPath;
    static CString s_reportFolder;
    static bool s_logMirror;
    static TLogListener s_logListener;
    static bool s_reportsEnabled;
    static uint32_t s_processorCount;
    static bool s_testMode;
};

} // namespace Engine
} // namespace Tavrin
