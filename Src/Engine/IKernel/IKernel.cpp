#include "Engine/IKernel/IKernel.h"

#include "Engine/IKernel/CBenchmarkThread.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CKernelChecks.h"
#include "Engine/IKernel/CKernelThrowReporter.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/Patterns/CNameManager.h"
#include "Engine/IKernel/Resources/CFileResourceLocation.h"
#include "Engine/IKernel/Resources/CProgress.h"
#include "Engine/IKernel/Resources/CResourceLocationManager.h"
#include "Engine/IKernel/Resources/Images/CImage.h"
#include "Engine/IKernel/System/CCpuClock.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CMainThread.h"
#include "Engine/IKernel/System/CModuleManager.h"
#include "Engine/IKernel/System/CProcess.h"
#include "Engine/IKernel/System/CProfiler.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/System/CTaskManager.h"
#include "Engine/IKernel/System/CTimer.h"

#include <clocale>
#include <cstdio>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

double readTimerFrequency()
{
    CProcess::requestTimerResolution();
    return static_cast<double>(CTimer::getCounterFrequency());
}

// The images the renderer's noise shaders sample; made once per install.
CImage* permutationImage = nullptr;
CImage* randomNoiseImage = nullptr;
// The global objects the install made. One that the program set before the
// install stays the program's: the uninstall deletes only these.
CProgress* ownProgress = nullptr;
CTaskManager* ownTaskManager = nullptr;
CResourceLocationManager* ownResourceLocationManager = nullptr;
CModuleManager* ownModuleManager = nullptr;
CMainThread* ownMainThread = nullptr;
bool benchmarkDeferred = false;
bool benchmarkHeld = false;

template <typename T>
void deleteOwn(T*& object)
{
    // Each destructor clears the current pointer when it still holds the object.
    delete object;
    object = nullptr;
}

CImage* createPermutationImage()
{
    auto* image = new CImage(256, 1, C_PIXEL_FORMAT_L8);
    uint8_t* pixels = image->getPixels();
    for (uint32_t i = 0; i < 256 && pixels; ++i)
        pixels[i] = static_cast<uint8_t>(i);
    // A fixed shuffle, so that every run samples the same noise.
    uint32_t state = 0x0BADF00D;
    for (uint32_t i = 255; i > 0 && pixels; --i)
    {
        state = state * 1664525u + 1013904223u;
        uint32_t j = (state >> 8) % (i + 1);
        uint8_t swap = pixels[i];
        pixels[i] = pixels[j];
        pixels[j] = swap;
    }
    return image;
}

CImage* createRandomNoiseImage()
{
    auto* image = new CImage(64, 64, C_PIXEL_FORMAT_RGBA8);
    uint8_t* pixels = image->getPixels();
    uint32_t state = 0x2545F491;
    for (uint64_t i = 0; pixels && i < image->getPixelBytes(); ++i)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        pixels[i] = static_cast<uint8_t>(state);
    }
    return image;
}

void releaseImage(CImage*& image)
{
    if (image)
        image->release();
    image = nullptr;
}

// Neither the working directory nor a log is needed to run: what failed is
// said, and the install goes on.

// Empty when the working directory cannot be read (deleted under the process).
CString readWorkingDirectory()
{
    CString directory;
    return CFileSystem::readCurrentDirectory(directory) == CFileSystem::C_DIRECTORY_READ ? directory : CString();
}

void logWorkingDirectory()
{
    if (readWorkingDirectory().isEmpty())
    {
        int32_t error = CSystemServices::getLastError();
        log("Working directory cannot be read\n");
        CSystemServices::setLastError(error);
        logLastError();
        return;
    }
    log("Working directory is '%s'\n", CProcess::getWorkingDirectory().c_str());
}

// The text without its closing line end and full stop.
CString withoutEnding(const CString& text)
{
    int32_t length = text.getLength();
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.'))
        --length;
    return text.left(length);
}

// Without a log file the user hears of it once, on standard error.
void sayNoLog(const CString& what, const CString& reason)
{
    fprintf(stderr, "%s: no log could be written: %s (%s)\n", IKernel::getApplicationShortName().c_str(), what.c_str(),
            reason.c_str());
    fflush(stderr);
}

void sayNoFreeLogName(const CString& logName)
{
    CString count;
    count.format("%u", CLog::C_MAXIMUM_FILE_NUMBER);
    sayNoLog("'" + logName + "' and its numbered names are all in use",
             count + " instances of the program are running");
}

// Opens the log in the report folder; the crash report's name, or empty
// after saying why when no log can be written there. With every name held
// by other instances the crash report is still written, under its own name.
CString openReports(const CString& folder, const CString& shortName)
{
    if (!CFileUtils::makeDirectories(folder))
    {
        sayNoLog("cannot create the folder '" + folder + "'", CLog::errorPhrase(CSystemServices::getLastError()));
        return CString();
    }
    CString stem = folder + "/" + shortName;
    CFileName logName(stem + "_log.txt");
    CFileName crashName(stem + "_crash.txt");
    // On for the log's own first line (why it took a numbered name).
    getLog()->setWriteToFile(true);
    if (reopenLog(logName.getFullPath().c_str()))
    {
        // A second running instance writes both reports under names of its own.
        return CLog::numberedName(crashName.getFullPath(), getLog()->getFileNumber());
    }
    getLog()->setWriteToFile(false);
    if (getLog()->getNamesInUse() < CLog::C_MAXIMUM_FILE_NUMBER)
    {
        sayNoLog("cannot write '" + CString(getLog()->getFileName()) + "'",
                 CLog::errorPhrase(CSystemServices::getLastError()));
        return CString();
    }
    sayNoFreeLogName(getLog()->getFileName());
    return crashName.getFullPath();
}

} // namespace

uint32_t IKernel::s_installCount = 0;
CArray<CString>* IKernel::s_arguments = nullptr;
double IKernel::s_timerFrequency = readTimerFrequency();
bool IKernel::s_simdNoiseVerified = false;
CString IKernel::s_applicationName("Unknown Application");
CString IKernel::s_applicationShortName;
CString IKernel::s_executableFileName;
CString IKernel::s_executableFolder(".");
CString IKernel::s_executablePath;
CString IKernel::s_runtimeLibraryPath("./Mono");
CString IKernel::s_reportFolder;
bool IKernel::s_logMirror = true;
TLogListener IKernel::s_logListener = nullptr;
bool IKernel::s_reportsEnabled = true;
uint32_t IKernel::s_processorCount = 1;
bool IKernel::s_testMode = false;

void IKernel::setExecutablePath(const char* fullPath, const char* currentDirectory)
{
    if (!fullPath)
        fullPath = "";
    const char* separator = strrchr(fullPath, '\\');
    if (!separator)
        separator = strrchr(fullPath, '/');
    if (separator)
    {
        s_executableFileName = separator + 1;
        s_executablePath = fullPath;
        s_executableFolder = CString(fullPath).left(static_cast<int32_t>(separator - fullPath));
    }
    else
    {
        s_executableFileName = fullPath;
        s_executableFolder = currentDirectory ? currentDirectory : ".";
        // The current directory comes with its separator; the folder is named
        // without one, or the disk query on it fails (a root keeps its own).
        int32_t length = s_executableFolder.getLength();
        while (length > 1 && (s_executableFolder[length - 1] == '/' || s_executableFolder[length - 1] == '\\'))
            --length;
        s_executableFolder = s_executableFolder.left(length);
        s_executablePath = s_executableFolder + "/" + s_executableFileName;
    }
    const char* name = s_executableFileName.c_str();
    const char* dot = strrchr(name, '.');
    s_applicationShortName = dot ? s_executableFileName.left(static_cast<int32_t>(dot - name)) : s_executableFileName;
    s_applicationName = s_applicationShortName;
}

void IKernel::_gatherProcessFacts()
{
    s_arguments = new CArray<CString>();
    CProcess::getArguments(*s_arguments);
    s_processorCount = CProcess::getLogicalProcessorCount();
    CString path = CProcess::getExecutablePath();
    CString directory = readWorkingDirectory();
    setExecutablePath(path.c_str(), directory.isEmpty() ? "." : directory.c_str());
    CProcess::setEnvironmentVariable("MONO_PATH", s_runtimeLibraryPath.c_str());
}

void IKernel::_configureLog()
{
    setlocale(LC_ALL, "");
    CProcess::setEnglishNumericLocale();
    CProcess::initCommonControls();
    CLog* log = getLog();
    log->setMirrorToDebugger(s_logMirror);
    if (s_logListener)
        log->addListener(s_logListener);
    log->setWriteToFile(true);
    log->setLowestLevel(1);
}

void IKernel::_startReports()
{
    // Until the reports are open, a failure to open them (which throws, and
    // logs) writes nowhere: not to the log's first name, not to the crash
    // report's name of before the install.
    getLog()->setWriteToFile(false);
    CStackTrace::setCrashFileName("");
    CString crashName;
    if (s_reportsEnabled)
    {
        try
        {
            crashName = openReports(getReportFolder(), s_applicationShortName);
        }
        catch (const CException& exception)
        {
            sayNoLog("its name cannot be made", withoutEnding(exception.getDetails()));
        }
    }
    log("Installing IKernel\n");
    logWorkingDirectory();
    CStackTrace::installCrashHandler(crashName.c_str());
    if (CSystem::getFreeDiskSpaceMb() < 1.0f)
        logLevel(2, "Low disk space: %s requires at least %.1f Mb of free disk space\n", s_applicationName.c_str(), 1.0);
}

void IKernel::_createGlobalObjects()
{
    if (!CProgress::getCurrent())
        ownProgress = new CProgress(); // becomes the current one
    if (!CTaskManager::getCurrent())
    {
        ownTaskManager = new CTaskManager();
        CTaskManager::setCurrent(ownTaskManager);
    }
    CNameManager::install();
    CResourceLocation::registerCreator(internName("File"), CFileResourceLocation::create);
    if (!CResourceLocationManager::getInstance())
    {
        ownResourceLocationManager = new CResourceLocationManager();
        CResourceLocationManager::setInstance(ownResourceLocationManager);
    }
    if (!CModuleManager::getCurrent())
    {
        ownModuleManager = new CModuleManager();
        CModuleManager::setCurrent(ownModuleManager);
    }
    if (!CMainThread::getMainThread())
    {
        ownMainThread = new CMainThread();
        CMainThread::setMainThread(ownMainThread);
    }
    permutationImage = createPermutationImage();
    randomNoiseImage = createRandomNoiseImage();
}

void IKernel::_runStartupChecks()
{
    if (s_timerFrequency == 0.0)
        s_timerFrequency = readTimerFrequency();
    if (benchmarkDeferred)
        benchmarkHeld = true;
    else
        CBenchmarkThread::begin(s_processorCount);
    CKernelChecks::reportFloatingPointControl();
    CKernelChecks::runFastConversionTests();
    CKernelChecks::runSIMDNoiseTest();
}

void IKernel::setBenchmarkDeferred(bool deferred)
{
    benchmarkDeferred = deferred;
}

void IKernel::startDeferredBenchmark()
{
    if (!benchmarkHeld)
        return;
    benchmarkHeld = false;
    CBenchmarkThread::begin(s_processorCount);
}

void IKernel::install()
{
    if (++s_installCount > 1)
        return;
    installKernelThrowReporter();
    _gatherProcessFacts();
    s_applicationName = "Tavrin Application";
    installLog();
    CFileUtils::createAliasArray();
    // Before the log header asks for the processor clock.
    CCpuClock::setCacheFile(CFileUtils::resolveAliases("$Cache/processor-clock.txt").c_str());
    CProfiler::createLists();
    _configureLog();
    _startReports();
    _createGlobalObjects();
    _runStartupChecks();
}

void IKernel::_destroyGlobalObjects()
{
    releaseImage(permutationImage);
    releaseImage(randomNoiseImage);
    CProfiler::destroyLists();
    CFileUtils::destroyAliasArray();
    deleteOwn(ownTaskManager);
    deleteOwn(ownProgress);
    deleteOwn(ownMainThread);
    CNameManager::uninstall();
    CResourceLocation::unregisterCreators();
    deleteOwn(ownResourceLocationManager);
    deleteOwn(ownModuleManager);
    clearNameDictionary();
}

void IKernel::uninstall()
{
    if (s_installCount == 0)
        TAVRIN_THROW_AT(CInvalidOperationException, "Module has not been installed properly\n", "Engine/IKernel/IKernel", 529);
    if (--s_installCount > 0)
        return;
    if (benchmarkHeld)
    {
        // Nothing else runs any more: in this thread.
        benchmarkHeld = false;
        CBenchmarkThread::begin(1);
    }
    CBenchmarkThread::finish();
    _destroyGlobalObjects();
    log("IKernel uninstalled\n");
    uninstallLog();
    delete s_arguments;
    s_arguments = nullptr;
}

} // namespace Engine
} // namespace Tavrin
