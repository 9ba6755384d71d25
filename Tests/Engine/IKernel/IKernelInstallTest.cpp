#include "Engine/IKernel/IKernel.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/KernelTestSupport.h"
#include "Engine/IKernel/Patterns/CNameManager.h"
#include "Engine/IKernel/Resources/CProgress.h"
#include "Engine/IKernel/Resources/CResourceLocationManager.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CMainThread.h"
#include "Engine/IKernel/System/CModuleManager.h"
#include "Engine/IKernel/System/CTaskManager.h"
#include "Engine/IKernel/System/CTimer.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

std::string installedLogPath()
{
    return std::string(IKernel::getExecutableFolder().c_str()) + "/" + IKernel::getApplicationShortName().c_str() +
           "_log.txt";
}

// Index of the first line at or after `from` matching the pattern, or -1.
int findLine(const std::vector<std::string>& lines, const std::string& pattern, size_t from = 0)
{
    std::regex expression(pattern);
    for (size_t i = from; i < lines.size(); ++i)
        if (std::regex_match(lines[i], expression))
            return static_cast<int>(i);
    return -1;
}

TEST(IKernelInstall, LogHoldsTheStartUpChecksInOrderAndEveryLineIsPrefixed)
{
    CKernelFactsGuard facts;
    IKernel::install();
    EXPECT_EQ(IKernel::getInstallCount(), 1u);
    EXPECT_TRUE(CNameManager::isInstalled());
    EXPECT_NE(CMainThread::getMainThread(), nullptr);
    EXPECT_NE(CTaskManager::getCurrent(), nullptr);
    EXPECT_GE(IKernel::getArgumentCount(), 1u);
    EXPECT_TRUE(IKernel::isSIMDNoiseVerified());
    std::string path = installedLogPath();
    IKernel::uninstall();
    EXPECT_EQ(IKernel::getInstallCount(), 0u);
    EXPECT_FALSE(CNameManager::isInstalled());
    EXPECT_EQ(CMainThread::getMainThread(), nullptr);

    std::vector<std::string> lines = splitLines(readFile(path));
    ASSERT_GT(lines.size(), 20u) << path;
    EXPECT_EQ(lines[0], std::string(76, '='));
    EXPECT_EQ(lines[1].rfind("Log file of '", 0), 0u);
    const char* const prefix = R"(\[ *\d+\.\d{3} s, +\d+ / +\d+\] )";
    // Each line in the order the install writes it.
    const std::vector<std::string> expected = {
        R"(Free disk space: \d+\.\d Mb)",
        R"(Total disk space: \d+\.\d Mb)",
        R"(System time is .*)",
        prefix + std::string("Installing IKernel"),
        prefix + std::string("Working directory is '.+'"),
        prefix + std::string("x87 FPU Flags"),
        prefix + std::string("Precision Control: .+"),
        prefix + std::string("Rounding Control: Round to nearest"),
        prefix + std::string("Fast operations tests: passed"),
        prefix + std::string("SIMD Noise test"),
        prefix + std::string("  Expected: -0\\.078\\d+ -0\\.082\\d+ 0\\.191\\d+ -0\\.080\\d+"),
        prefix + std::string("  Got:      -0\\.078\\d+ -0\\.082\\d+ 0\\.191\\d+ -0\\.080\\d+"),
        prefix + std::string("SIMD Noise test success!"),
        prefix + std::string("IKernel uninstalled"),
    };
    int at = 0;
    for (const std::string& pattern : expected)
    {
        int found = findLine(lines, pattern, static_cast<size_t>(at));
        ASSERT_GE(found, 0) << "missing, or out of order: " << pattern;
        at = found + 1;
    }
    // The benchmark runs beside the rest of the start: its figure comes once
    // it ends, after the other checks began and before the uninstall's line.
    int benchmark = findLine(lines, prefix + std::string(R"(Raw monocore performance: \d+ points \[-?\d+\.\d{3}\])"));
    EXPECT_GT(benchmark, findLine(lines, prefix + std::string("Working directory is '.+'")));
    EXPECT_LT(benchmark, findLine(lines, prefix + std::string("IKernel uninstalled")));
    // The working directory as the system spells it, ending at most with the
    // system's own separator.
    std::smatch directory;
    const std::string line = lines[static_cast<size_t>(findLine(lines, prefix + std::string("Working directory is '.+'")))];
    ASSERT_TRUE(std::regex_search(line, directory, std::regex("'(.+)'")));
    std::string logged = directory[1].str();
    if (logged.size() > 1 && logged.back() == static_cast<char>(std::filesystem::path::preferred_separator))
        logged.pop_back();
    EXPECT_EQ(logged, std::filesystem::current_path().string());
    // Past the header, every line comes through the log and has its prefix.
    int first = findLine(lines, prefix + std::string("Installing IKernel"));
    for (size_t i = static_cast<size_t>(first); i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_search(lines[i], std::regex(std::string("^") + prefix))) << lines[i];
}

// A held-back benchmark logs nothing until it is started, and is never lost:
// the uninstall runs one that nobody started.
TEST(IKernelInstall, ADeferredBenchmarkLogsItsFigureOnceStartedOrAtTheUninstall)
{
    for (bool started : {true, false})
    {
        CKernelFactsGuard facts;
        IKernel::setBenchmarkDeferred(true);
        IKernel::install();
        IKernel::setBenchmarkDeferred(false);
        std::string path = installedLogPath();
        EXPECT_EQ(readFile(path).find("Raw monocore performance"), std::string::npos) << "started " << started;
        if (started)
            IKernel::startDeferredBenchmark();
        IKernel::uninstall();
        std::string log = readFile(path);
        size_t figure = log.find("Raw monocore performance");
        EXPECT_NE(figure, std::string::npos) << "started " << started;
        EXPECT_EQ(log.find("Raw monocore performance", figure + 1), std::string::npos) << "started " << started;
        EXPECT_LT(figure, log.find("IKernel uninstalled")) << "started " << started;
    }
}

TEST(IKernelInstall, OnlyTheFirstInstallAndLastUninstallWorkAndAnExtraUninstallThrows)
{
    CKernelFactsGuard facts;
    IKernel::install();
    IKernel::install();
    EXPECT_EQ(IKernel::getInstallCount(), 2u);
    CMainThread* mainThread = CMainThread::getMainThread();
    IKernel::uninstall();
    EXPECT_EQ(IKernel::getInstallCount(), 1u);
    EXPECT_EQ(CMainThread::getMainThread(), mainThread);
    EXPECT_NE(getLog(), nullptr);
    IKernel::uninstall();
    EXPECT_EQ(getLog(), nullptr);
    try
    {
        IKernel::uninstall();
        FAIL() << "a third uninstall must throw";
    }
    catch (const CInvalidOperationException& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), "Module has not been installed properly\n");
        EXPECT_STREQ(exception.getFile().c_str(), "Engine/IKernel/IKernel");
        EXPECT_EQ(exception.getLine(), 529);
    }
    EXPECT_EQ(IKernel::getInstallCount(), 0u);
    // The handler stays installed: the throw's report went beside the executable.
    std::string crash = readFile(std::string(IKernel::getExecutableFolder().c_str()) + "/" +
                                 IKernel::getApplicationShortName().c_str() + "_crash.txt");
    EXPECT_NE(crash.find("-- EXCEPTION DETECTED"), std::string::npos);
    EXPECT_NE(crash.find("uninstall"), std::string::npos) << crash;
}

// The one install that pays for the product's processor speed measurement.
TEST(IKernelInstall, ProductInstallMeasuresTheProcessorSpeed)
{
    CKernelFactsGuard facts;
    IKernel::setTestMode(false);
    uint64_t start = CTimer::readCounter();
    IKernel::install();
    IKernel::uninstall();
    double seconds = CTimer::secondsBetween(start, CTimer::readCounter());
    IKernel::setTestMode(true);
    // Against the floor of the 0.05 s benchmark (the clock figure is measured
    // once per process, from before main).
    RecordProperty("InstallUninstallSeconds", std::to_string(seconds));
    printf("Kernel install and uninstall: %.3f s, %.2f of the 0.05 s floor\n", seconds, seconds / 0.05);
    std::string header = readFile(installedLogPath());
    std::smatch speed;
    ASSERT_TRUE(std::regex_search(header, speed, std::regex(R"(CPU\(s\) speed: (\d+) Mhz)")));
    EXPECT_GT(std::stoi(speed[1].str()), 0);
}

// A global object that a program sets before the install, as the test sees it.
struct SProgramObject
{
    const char* name;
    std::function<void*()> make; // makes the program's own and sets it current
    std::function<void*()> current;
    std::function<void(void*)> destroy;
};

template <typename T>
SProgramObject programObject(const char* name, T* (*current)(), void (*setCurrent)(T*))
{
    return {name,
            [=] {
                T* own = new T();
                if (setCurrent) // else its constructor makes it current
                    setCurrent(own);
                return static_cast<void*>(own);
            },
            [=] { return static_cast<void*>(current()); }, [](void* own) { delete static_cast<T*>(own); }};
}

// The install makes none of its own (under ASan one it made would leak) and
// the uninstall leaves the program's alone (deleting it would be the second delete).
TEST(IKernelInstall, GlobalObjectsSetByTheProgramAreNeitherReplacedNorDeleted)
{
    const SProgramObject objects[] = {
        programObject("CTaskManager", &CTaskManager::getCurrent, &CTaskManager::setCurrent),
        programObject<CProgress>("CProgress", &CProgress::getCurrent, nullptr),
        programObject("CMainThread", &CMainThread::getMainThread, &CMainThread::setMainThread),
        programObject("CModuleManager", &CModuleManager::getCurrent, &CModuleManager::setCurrent),
        programObject("CResourceLocationManager", &CResourceLocationManager::getInstance,
                      &CResourceLocationManager::setInstance),
    };
    for (const SProgramObject& object : objects)
    {
        SCOPED_TRACE(object.name);
        CKernelFactsGuard facts;
        void* program = object.make();
        IKernel::install();
        EXPECT_EQ(object.current(), program);
        IKernel::uninstall();
        // Still alive and current: only then is the program's delete its only one.
        EXPECT_EQ(object.current(), program);
        if (object.current() != program)
            continue;
        object.destroy(program);
        EXPECT_EQ(object.current(), nullptr);
    }
}

// A program whose own folder is not writable sends its reports elsewhere.
TEST(IKernelInstall, ReportsGoToAChosenFolderInsteadOfTheExecutables)
{
    CKernelFactsGuard facts;
    CTempFolder reports;
    std::string folder = reports.path() + "/state/keyscout";
    IKernel::setReportFolder(folder.c_str());
    EXPECT_STREQ(IKernel::getReportFolder().c_str(), folder.c_str());
    IKernel::install();
    std::string chosen = folder + "/" + IKernel::getApplicationShortName().c_str() + "_log.txt";
    IKernel::uninstall();
    IKernel::setReportFolder(nullptr);
    EXPECT_STREQ(IKernel::getReportFolder().c_str(), IKernel::getExecutableFolder().c_str());

    EXPECT_NE(readFile(chosen).find("IKernel uninstalled"), std::string::npos) << chosen;
}

// Neither the working directory nor a log is needed to run. One line says
// why there is no log, and nothing is written anywhere else; a crash report
// whose own name is free is kept.
TEST(IKernelInstall, InstallGoesOnWithoutALogAndSaysSoOnce)
{
    CKernelFactsGuard facts;
    IKernel::setExecutablePath(CFileSystem::getExecutablePath().c_str(), ".");
    std::string shortName = IKernel::getApplicationShortName().c_str();
    std::string besideTheProgram = installedLogPath();
    CTempFolder temporary;
    std::ofstream(temporary.file("file")) << "a file where a folder would be\n";
    std::filesystem::create_directory(temporary.file("busy"));
    std::vector<FILE*> heldByOthers(CLog::C_MAXIMUM_FILE_NUMBER);
    int32_t outcome;
    for (uint32_t number = 1; number <= heldByOthers.size(); ++number)
        heldByOthers[number - 1] = CFileSystem::openOwnFile(
            CLog::numberedName((temporary.file("busy") + "/" + shortName + "_log.txt").c_str(), number), true, &outcome);
    const struct
    {
        std::string folder, said;
        bool crashReportKept;
    } cases[] = {
        {temporary.file("file") + "/reports", "cannot create the folder '" + temporary.file("file") + "/reports' (", false},
        {temporary.file("a$b"), "its name cannot be made (File name " + temporary.file("a$b") + "/" + shortName, false},
        {temporary.file("busy"), "_log.txt' and its numbered names are all in use (16 instances of the program are running)",
         true},
    };
    for (const auto& row : cases)
    {
        IKernel::setReportFolder(row.folder.c_str());
        std::filesystem::remove("crashLog.txt");
        std::filesystem::remove(besideTheProgram);
        testing::internal::CaptureStderr();
        IKernel::install();
        CString crashName = CStackTrace::getCrashFileName();
        EXPECT_THROW(TAVRIN_THROW(CInvalidOperationException, "after install\n", "Engine/Tests/IKernelInstallTest"),
                     CInvalidOperationException);
        IKernel::uninstall();
        std::string errors = testing::internal::GetCapturedStderr();
        IKernel::setReportFolder(nullptr);

        std::regex said(shortName + ": no log could be written: .*\n");
        EXPECT_EQ(std::distance(std::sregex_iterator(errors.begin(), errors.end(), said), std::sregex_iterator()), 1) << errors;
        EXPECT_NE(errors.find(row.said), std::string::npos) << errors;
        EXPECT_EQ(errors.find("Cannot open log file"), std::string::npos) << errors;
        EXPECT_FALSE(std::filesystem::exists("crashLog.txt") || std::filesystem::exists(besideTheProgram)) << row.folder;
        std::string kept = row.crashReportKept ? row.folder + "/" + shortName + "_crash.txt" : "";
        EXPECT_EQ(std::filesystem::path(crashName.c_str()), std::filesystem::path(kept));
        EXPECT_EQ(row.crashReportKept, readFile(kept).find("-- EXCEPTION DETECTED") != std::string::npos) << kept;
    }
    for (FILE* held : heldByOthers)
        if (held)
            fclose(held);
}

TEST(IKernelInstall, InstallGoesOnFromADeletedWorkingDirectory)
{
    CKernelFactsGuard facts;
    std::filesystem::path original = std::filesystem::current_path();
    std::string deleted;
    {
        CTempFolder temporary;
        deleted = temporary.path();
        std::filesystem::current_path(deleted);
    }
    std::error_code error;
    if (std::filesystem::exists(deleted, error))
    {
        std::filesystem::current_path(original);
        GTEST_SKIP() << "this system does not delete a process's working directory";
    }
    EXPECT_NO_THROW(IKernel::install());
    std::string path = installedLogPath();
    if (IKernel::getInstallCount() == 1)
        IKernel::uninstall();
    std::filesystem::current_path(original);

    std::string text = readFile(path);
    EXPECT_NE(text.find("] Working directory cannot be read\n"), std::string::npos) << text;
    EXPECT_NE(text.find("IKernel uninstalled"), std::string::npos) << text;
}

} // namespace
