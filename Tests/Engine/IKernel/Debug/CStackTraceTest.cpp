#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/System/CFileUtils.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Debug/LoadedModules.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <cstdint>
#include <regex>
#include <string>

using namespace Tavrin::Engine;
using namespace TavrinTests;

namespace {

int s_throwLine = 0;
int s_secondThrowLine = 0;
volatile int s_faultLine = 0;
volatile uintptr_t s_unmappedAddress = 16;

__attribute__((noinline)) void throwFromHere()
{
    s_throwLine = __LINE__ + 1;
    TAVRIN_THROW(CInvalidArgumentException, "first\n", "Engine/Tests/CStackTraceTest");
}

__attribute__((noinline)) void throwAgainFromHere()
{
    s_secondThrowLine = __LINE__ + 1;
    TAVRIN_THROW(CNotFoundException, "second\n", "Engine/Tests/CStackTraceTest");
}

__attribute__((noinline)) void faultHere()
{
    // Not null, and unknown to the compiler: the sanitizers would stop a
    // null store before it faults, and a constant address draws a warning.
    volatile int* unmapped = reinterpret_cast<volatile int*>(s_unmappedAddress);
    s_faultLine = __LINE__ + 1;
    *unmapped = 1;
}
// Only a call that may throw in the compiler's eyes lets the fault's exception
// be caught: clang proves a function of the same file nothrow when it only
// stores, so the test calls it through a pointer that it cannot see through.
void (*volatile s_faultHere)() = faultHere;

bool containsIgnoringCase(const std::string& text, const char* needle)
{
    std::string lower = text, wanted = needle;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (char& c : wanted)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower.find(wanted) != std::string::npos;
}

// A frame line naming `function`: "module!symbol() offset pc file(line)".
std::regex frameOf(const char* function)
{
    return std::regex(std::string("^[^!]+![^!]*\\b") + function +
                      "\\(\\) (0x)?[0-9a-fA-F]+ (0x)?[0-9a-fA-F]+ (.+)\\((-?[0-9]+)\\)\\r?$");
}

// File and line of the first frame line naming `function`; line -1 when none does.
std::pair<std::string, int> findFrame(const std::string& text, const char* function)
{
    std::regex pattern = frameOf(function);
    for (const std::string& line : splitLines(text))
    {
        std::smatch match;
        if (std::regex_search(line, match, pattern))
            return {match[3].str(), std::stoi(match[4].str())};
    }
    return {"", -1};
}

class CStackTraceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = makeTestFolder("CStackTraceTest");
        m_crashFile = m_folder + "/crash.txt";
        m_logFile = m_folder + "/log.txt";
        installLog();
        // As the kernel's log configuration does: ordinary messages are kept.
        getLog()->setLowestLevel(1);
        reopenLog(m_logFile.c_str());
        CStackTrace::setCrashFileName(m_crashFile.c_str());
    }

    void TearDown() override
    {
        uninstallLog();
        CStackTrace::setCrashFileName("crashLog.txt");
    }

    std::string m_folder;
    std::string m_crashFile;
    std::string m_logFile;
};

TEST_F(CStackTraceTest, ThrowLeavesReportWithHeadModulesStackAndSystem)
{
    // Taken first: the report itself may load libraries after its own list.
    std::vector<std::string> loaded = listLoadedModules();
    EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
    std::string report = readFile(m_crashFile);

    char head[256];
    snprintf(head, sizeof(head),
             "-- EXCEPTION DETECTED -----------------------\n\nThread/Process:\nHandle to process = %p\nIdProc = %d\n"
             "Thread handle = %p\n\nSymbols table:\nModule ",
             CSystemServices::getCurrentProcessHandle(), static_cast<int>(CSystemServices::getCurrentProcessId()),
             CSystemServices::getCurrentThreadHandle());
    EXPECT_EQ(report.compare(0, strlen(head), head), 0) << report.substr(0, 400);

    // Every loaded module is listed with base and size.
    std::regex moduleLine("^Module (.+), (0x)?([0-9a-fA-F]+):([0-9a-f]{8,})$");
    std::vector<std::string> listed;
    for (const std::string& line : splitLines(report))
    {
        std::smatch match;
        if (std::regex_match(line, match, moduleLine))
            listed.push_back(match[1].str());
    }
    for (const std::string& module : loaded)
    {
        bool found = false;
        for (const std::string& path : listed)
            found = found || isSameFile(path, module);
        EXPECT_TRUE(found) << module << " is missing from the report";
    }
    ASSERT_FALSE(listed.empty());
    EXPECT_TRUE(isSameFile(listed[0], CSystem::getModuleFileName().c_str())) << "the executable comes first";

    // The stack names the throwing function with its source file and line.
    size_t stack = report.find("\nCall Stack:\n");
    ASSERT_NE(stack, std::string::npos);
    std::pair<std::string, int> frame = findFrame(report.substr(stack), "throwFromHere");
    EXPECT_NE(frame.first.find("CStackTraceTest.cpp"), std::string::npos) << report.substr(stack, 3000);
    EXPECT_EQ(frame.second, s_throwLine) << report.substr(stack, 3000);

    size_t registers = report.find("\nRegisters:\nCould not print x64 registers!\r\n\nSystem:\nSystem time is ");
    EXPECT_NE(registers, std::string::npos);
    EXPECT_GT(registers, stack);
    EXPECT_NE(report.find("\nEnumerating display adapters:\n", registers), std::string::npos);
}

TEST_F(CStackTraceTest, LogCopiesReportLinesButNotRegistersOrSystem)
{
    EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
    std::string log = readFile(m_logFile);
    std::string report = readFile(m_crashFile);
    const char* prefix = "\\[ *[0-9]+\\.[0-9]{3} s, +-?[0-9]+ / +-?[0-9]+\\] ";
    EXPECT_TRUE(std::regex_search(log, std::regex(std::string(prefix) + "-- EXCEPTION DETECTED -+\n")));
    EXPECT_TRUE(std::regex_search(log, std::regex(std::string(prefix) + "IdProc = [0-9]+\n")));
    EXPECT_TRUE(std::regex_search(log, std::regex(std::string(prefix) + "Call Stack:\n")));
    EXPECT_EQ(findFrame(log, "throwFromHere").second, s_throwLine);
    EXPECT_EQ(log.find("Could not print x64 registers!"), std::string::npos);
    EXPECT_NE(log.find("Exception (Unknown) Engine/Tests/CStackTraceTest::"), std::string::npos);

    // The log shows each module's base cut to its low 32 bits; the file shows it whole.
    std::regex fileModule("\nModule ([^\n]+), (0x)?([0-9a-fA-F]+):([0-9a-f]{8,})\n");
    std::smatch inFile;
    ASSERT_TRUE(std::regex_search(report, inFile, fileModule));
    uint64_t base = std::stoull(inFile[3].str(), nullptr, 16);
    char logLine[1200];
    snprintf(logLine, sizeof(logLine), "] Module %s, %08x:%s\n", inFile[1].str().c_str(),
             static_cast<uint32_t>(base), inFile[4].str().c_str());
    EXPECT_NE(log.find(logLine), std::string::npos) << logLine;
}

TEST_F(CStackTraceTest, TwoThrowsLeaveSecondReportInFileAndBothInLog)
{
    EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
    EXPECT_THROW(throwAgainFromHere(), CNotFoundException);
    std::string report = readFile(m_crashFile);
    std::string log = readFile(m_logFile);
    EXPECT_EQ(countOf(report, "-- EXCEPTION DETECTED"), 1u);
    EXPECT_EQ(findFrame(report, "throwAgainFromHere").second, s_secondThrowLine);
    EXPECT_EQ(findFrame(report, "throwFromHere").second, -1);
    EXPECT_EQ(countOf(log, "-- EXCEPTION DETECTED"), 2u);
    EXPECT_EQ(findFrame(log, "throwFromHere").second, s_throwLine);
    EXPECT_EQ(findFrame(log, "throwAgainFromHere").second, s_secondThrowLine);
}

// Asks for a report while one is being written, as a throw inside the
// report's own system section would.
int s_nestedRequests = 0;
bool s_throwFromListener = false;
void requestReportWhileWriting(const char* text)
{
    if (strstr(text, "Thread/Process:") == nullptr)
        return;
    ++s_nestedRequests;
    CStackTrace::dumpStackTrace();
    if (s_throwFromListener)
        TAVRIN_THROW(CInternalErrorException, "from the report\n", "Engine/Tests/CStackTraceTest");
}

TEST_F(CStackTraceTest, ReportRequestedWhileWritingOneIsSkipped)
{
    s_nestedRequests = 0;
    s_throwFromListener = false;
    getLog()->addListener(requestReportWhileWriting);
    EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
    EXPECT_EQ(s_nestedRequests, 1);
    EXPECT_EQ(countOf(readFile(m_crashFile), "-- EXCEPTION DETECTED"), 1u);
    EXPECT_EQ(countOf(readFile(m_logFile), "-- EXCEPTION DETECTED"), 1u);

    // An exception leaving a report closes it and lets the next one through.
    s_throwFromListener = true;
    EXPECT_THROW(CStackTrace::dumpStackTrace(), CInternalErrorException);
    getLog()->removeListener(requestReportWhileWriting);
    EXPECT_EQ(remove(m_crashFile.c_str()), 0) << "the report file was left open";
    EXPECT_THROW(throwAgainFromHere(), CNotFoundException);
    EXPECT_EQ(findFrame(readFile(m_crashFile), "throwAgainFromHere").second, s_secondThrowLine);
}

bool listsModule(const std::string& report, const char* fileName)
{
    for (const std::string& line : splitLines(report))
        if (line.compare(0, 7, "Module ") == 0 && containsIgnoringCase(line, fileName))
            return true;
    return false;
}

// Symbols stay loaded between reports; a library loaded or unloaded in
// between must still show in (or leave) the next report, whose stack still resolves.
TEST_F(CStackTraceTest, ReportsFollowLibrariesLoadedAndUnloaded)
{
    EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
    EXPECT_FALSE(listsModule(readFile(m_crashFile), getSpareLibraryName()));
    void* library = loadSpareLibrary();
    ASSERT_NE(library, nullptr);
    EXPECT_THROW(throwAgainFromHere(), CNotFoundException);
    std::string report = readFile(m_crashFile);
    EXPECT_TRUE(listsModule(report, getSpareLibraryName()));
    EXPECT_EQ(findFrame(report, "throwAgainFromHere").second, s_secondThrowLine);
    unloadSpareLibrary(library);
    EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
    report = readFile(m_crashFile);
    EXPECT_FALSE(listsModule(report, getSpareLibraryName()));
    EXPECT_EQ(findFrame(report, "throwFromHere").second, s_throwLine);
}

TEST_F(CStackTraceTest, UnwritableReportGoesToLogOnly)
{
    CStackTrace::setCrashFileName((m_folder + "/missing/folder/crash.txt").c_str());
    EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
    std::string log = readFile(m_logFile);
    EXPECT_EQ(countOf(log, "-- EXCEPTION DETECTED"), 1u);
    EXPECT_EQ(findFrame(log, "throwFromHere").second, s_throwLine);
}

TEST_F(CStackTraceTest, CrashFileNameIsResolvedToFullPath)
{
    // Names resolve through the alias table, as after the kernel install.
    CFileUtils::createAliasArray();
    CStackTrace::setCrashFileName("relative_crash.txt");
    CFileUtils::destroyAliasArray();
    std::string name = CStackTrace::getCrashFileName().c_str();
    EXPECT_NE(name, "relative_crash.txt");
    EXPECT_GT(name.size(), strlen("relative_crash.txt"));
    EXPECT_EQ(name.compare(name.size() - 19, 19, "/relative_crash.txt") == 0 ||
                  name.compare(name.size() - 19, 19, "\\relative_crash.txt") == 0,
              true)
        << name;
}

// The handler acts once per process: both signals are checked here, in order.
TEST_F(CStackTraceTest, FirstFaultBecomesReportAndExceptionLaterSignalsAreIgnored)
{
    CStackTrace::installCrashHandler(m_crashFile.c_str());
    if (!CStackTrace::isFirstSignalPending())
        GTEST_SKIP() << "this process already handled its one signal";
    try
    {
        s_faultHere();
        ADD_FAILURE() << "the fault did not become an exception";
    }
    catch (const CInvalidOperationException& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), "Signal received: 11\n");
        EXPECT_STREQ(exception.getFile().c_str(), "Engine/IKernel/Debug/CStackTrace");
        EXPECT_EQ(exception.getLine(), 1102);
    }
    std::string report = readFile(m_crashFile);
    EXPECT_EQ(countOf(report, "-- EXCEPTION DETECTED"), 1u);
    std::pair<std::string, int> frame = findFrame(report, "faultHere");
    EXPECT_NE(frame.first.find("CStackTraceTest.cpp"), std::string::npos) << report;
    EXPECT_EQ(frame.second, s_faultLine);
    std::string log = readFile(m_logFile);
    EXPECT_EQ(countOf(log, "-- EXCEPTION DETECTED"), 1u);
    EXPECT_NE(log.find("Exception (Unknown) Engine/IKernel/Debug/CStackTrace::1102 -> Signal received: 11\n"),
              std::string::npos);

    writeFile(m_crashFile, "untouched");
    EXPECT_NO_THROW(CStackTrace::onSignal(SIGSEGV));
    EXPECT_NO_THROW(CStackTrace::onSignal(SIGILL));
    EXPECT_EQ(readFile(m_crashFile), "untouched");
    EXPECT_EQ(countOf(readFile(m_logFile), "-- EXCEPTION DETECTED"), 1u);
}

// Made before main, so destroyed after every static the kernel makes on use:
// its destructor throws as late as a program's static object can.
struct SThrowAtExit
{
    bool armed = false;
    ~SThrowAtExit()
    {
        if (armed)
        {
            EXPECT_THROW(throwFromHere(), CInvalidArgumentException);
        }
    }
} s_throwAtExit;

TEST(CStackTraceLateReport, ThrowDuringStaticDestructionReportsIntoTheCrashFile)
{
    std::string crashFile = makeTestFolder("CStackTraceLateReport") + "/late_crash.txt";
    EXPECT_EXIT((CStackTrace::setCrashFileName(crashFile.c_str()), s_throwAtExit.armed = true, exit(0)),
                testing::ExitedWithCode(0), "");
    EXPECT_GT(findFrame(readFile(crashFile), "throwFromHere").second, 0) << crashFile;
}

} // namespace
