#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

class CLogTest : public CLogTestBase
{
};

TEST_F(CLogTest, InstallCreatesTheDefaultLog)
{
    CLog* log = getLog();
    EXPECT_EQ(log->getLowestLevel(), 2u);
    EXPECT_EQ(log->getTimeStampMode(), CLog::C_TIMESTAMP_SECONDS_AND_MEMORY);
    EXPECT_EQ(std::string(log->getFileName()), m_folder.path() + "/tavrintest_log.txt");
    EXPECT_EQ(getLogSharedBufferSize(), 4096u);
    // Nothing is created before the first message.
    EXPECT_FALSE(std::filesystem::exists(logPath()));
    uninstallLog();
    EXPECT_EQ(getLog(), nullptr);
    EXPECT_EQ(getLogSharedBufferSize(), 0u);
    // Without a log every call is a no-op.
    Tavrin::Engine::log("after uninstall\n");
    logWide(L"after uninstall\n");
    logLastError();
}

TEST_F(CLogTest, LevelFilter)
{
    Tavrin::Engine::log("ordinary before configuration\n");
    logLevel(0, "chatty before configuration\n");
    logLevel(2, "warning before configuration\n");
    getLog()->setLowestLevel(1);
    logLevel(0, "chatty after configuration\n");
    Tavrin::Engine::log("ordinary after configuration\n");
    logLevel(3, "error after configuration\n");
    EXPECT_EQ(markTimeStamps(logText()),
              "<P>warning before configuration\n<P>ordinary after configuration\n<P>error after configuration\n");
}

TEST_F(CLogTest, EveryLineGetsItsOwnTimeStamp)
{
    getLog()->setLowestLevel(1);
    Tavrin::Engine::log("first\nsecond\n");
    Tavrin::Engine::log("line\n\n");
    Tavrin::Engine::log("no newline");
    Tavrin::Engine::log("continues\n");
    Tavrin::Engine::log("head\ntail");
    Tavrin::Engine::log("\n");
    std::string longLine(3000, 'L');
    Tavrin::Engine::log("%s\nshort\n", longLine.c_str());
    EXPECT_EQ(markTimeStamps(logText()), "<P>first\n<P>second\n"
                                         "<P>line\n<P>\n"
                                         "<P>no newline<P>continues\n"
                                         "<P>head\n<P>tail<P>\n"
                                         "<P>" + longLine + "\n<P>short\n");
}

TEST_F(CLogTest, TimeStampCarriesSecondsAndMemory)
{
    getLog()->setLowestLevel(1);
    Tavrin::Engine::log("stamped\n");
    std::vector<std::string> lines = splitLines(logText());
    ASSERT_EQ(lines.size(), 1u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, std::regex(R"(\[( *\d+\.\d{3}) s, ( *\d+) / ( *\d+)\] stamped)")))
        << lines[0];
    EXPECT_GE(match[1].length(), 7);
    EXPECT_GE(match[2].length(), 4);
    EXPECT_GE(match[3].length(), 4);
    EXPECT_LT(atof(match[1].str().c_str()), 60.0);
    double workingSet = static_cast<double>(CSystemServices::getWorkingSetBytes() / 1024 / 1000);
    double available = static_cast<double>(CSystemServices::getAvailablePhysicalBytes() / 1024 / 1000);
    EXPECT_NEAR(atof(match[2].str().c_str()), workingSet, 50.0 + workingSet * 0.25);
    EXPECT_NEAR(atof(match[3].str().c_str()), available, 100.0 + available * 0.25);
}

TEST_F(CLogTest, TimeStampModes)
{
    CLog* log = getLog();
    log->setLowestLevel(1);
    log->setTimeStampMode(CLog::C_TIMESTAMP_MILLISECONDS);
    Tavrin::Engine::log("milliseconds\n");
    log->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
    Tavrin::Engine::log("bare\n");
    std::vector<std::string> lines = splitLines(logText());
    ASSERT_EQ(lines.size(), 2u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, std::regex(R"(\[(\d+) ms\] milliseconds)"))) << lines[0];
    EXPECT_LT(std::stoul(match[1].str()), 1000000ul);
    EXPECT_EQ(lines[1], "bare");
}

TEST(CLogFormatSeconds, MatchesPrintf)
{
    const uint64_t frequencies[] = {1000000000ull, 10000000ull, 3579545ull, 1000ull};
    uint64_t state = 12345;
    for (uint64_t frequency : frequencies)
    {
        std::vector<uint64_t> ticks = {0, 1, frequency / 1000, frequency - 1, frequency, frequency * 12345 + 7,
                                       frequency * 100000000ull + frequency / 3};
        for (int i = 0; i < 2000; ++i)
        {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            ticks.push_back((state >> 20) % (frequency * 5000));
        }
        for (uint64_t value : ticks)
        {
            // Exact halves round differently through a double; skip them.
            if ((value % frequency) * 1000 % frequency * 2 == frequency)
                continue;
            char expected[64];
            snprintf(expected, sizeof(expected), "%7.3f", static_cast<double>(value) / static_cast<double>(frequency));
            char actual[32];
            uint32_t length = CLog::formatSeconds(actual, value, frequency);
            ASSERT_STREQ(actual, expected) << value << " / " << frequency;
            ASSERT_EQ(length, strlen(expected));
        }
    }
}

std::vector<std::string> heard;

void firstListener(const char* text)
{
    heard.push_back(std::string("1:") + text);
}

void secondListener(const char* text)
{
    heard.push_back(std::string("2:") + text);
}

TEST_F(CLogTest, ListenersHearPrefixIndentationAndText)
{
    CLog* log = getLog();
    log->setLowestLevel(1);
    log->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
    log->setIndentation("  ");
    log->addListener(firstListener);
    log->addListener(secondListener);
    heard.clear();
    Tavrin::Engine::log("a\nb\n");
    EXPECT_EQ(heard, (std::vector<std::string>{"1:  ", "2:  ", "1:a\n", "2:a\n", "1:  ", "2:  ", "1:b\n", "2:b\n"}));
    EXPECT_EQ(logText(), "  a\n  b\n");

    log->setTimeStampMode(CLog::C_TIMESTAMP_SECONDS_AND_MEMORY);
    log->setIndentation("");
    log->removeListener(firstListener);
    log->setWriteToFile(false);
    heard.clear();
    Tavrin::Engine::log("only heard\n");
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(markTimeStamps(heard[0]), "2:<P>");
    EXPECT_EQ(heard[1], "2:only heard\n");
    EXPECT_EQ(logText(), "  a\n  b\n");
    log->removeListener(secondListener);
    log->removeListener(secondListener);
    heard.clear();
    Tavrin::Engine::log("nobody listens\n");
    EXPECT_TRUE(heard.empty());
}

// Logs once from inside a listener, long enough to grow the shared buffers
// that hold the text being heard.
void loggingListener(const char*)
{
    static bool nested = false;
    if (nested)
        return;
    nested = true;
    Tavrin::Engine::log("%s\n", std::string(6000, 'x').c_str());
}

// Takes itself off the list and puts the first listener on it.
void swappingListener(const char*)
{
    getLog()->removeListener(swappingListener);
    getLog()->addListener(firstListener);
}

// Hears one piece, then takes itself off the list.
void selfRemovingListener(const char* text)
{
    heard.push_back(std::string("S:") + text);
    getLog()->removeListener(selfRemovingListener);
}

TEST_F(CLogTest, ListenersMayLogAndChangeTheListenersWhileHearing)
{
    CLog* log = getLog();
    log->setLowestLevel(1);
    log->setWriteToFile(false);
    log->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
    log->addListener(loggingListener);
    log->addListener(secondListener);
    heard.clear();
    Tavrin::Engine::log("outer\n");
    EXPECT_EQ(heard, (std::vector<std::string>{"2:" + std::string(6000, 'x') + "\n", "2:outer\n"}));
    log->removeListener(loggingListener);

    // Changes made while a message is heard apply from the next message on.
    log->removeListener(secondListener);
    log->addListener(swappingListener);
    log->addListener(secondListener);
    heard.clear();
    Tavrin::Engine::log("first\n");
    Tavrin::Engine::log("second\n");
    EXPECT_EQ(heard, (std::vector<std::string>{"2:first\n", "2:second\n", "1:second\n"}));
    log->removeListener(secondListener);
    log->removeListener(firstListener);

    // One that removes itself is not called again, not even for the rest of
    // the message it was hearing.
    log->setIndentation("  ");
    log->addListener(selfRemovingListener);
    log->addListener(secondListener);
    heard.clear();
    Tavrin::Engine::log("third\n");
    EXPECT_EQ(heard, (std::vector<std::string>{"S:  ", "2:  ", "2:third\n"}));
    log->removeListener(secondListener);
}

TEST_F(CLogTest, LongMessagesGrowTheBuffers)
{
    getLog()->setLowestLevel(1);
    // More wide characters than the first wide buffer holds on any platform.
    std::string wide(6000, 'w');
    std::wstring wideText(wide.begin(), wide.end());
    logWide(L"%ls|\n", wideText.c_str());
    EXPECT_GE(getLogSharedBufferSize(), 8192u);
    std::string text(10000, 'x');
    text[0] = 'A';
    text[9999] = 'Z';
    Tavrin::Engine::log("%s\n", text.c_str());
    EXPECT_EQ(getLogSharedBufferSize(), 16384u);
    std::string objectText(20000, 'o');
    getLog()->printf("%s|\n", objectText.c_str());
    EXPECT_EQ(markTimeStamps(logText()), "<P>" + wide + "|\n<P>" + text + "\n<P>" + objectText + "|\n");
}

TEST_F(CLogTest, WideTextIsWrittenAsUtf8)
{
    getLog()->setLowestLevel(1);
    logWide(L"caf\u00e9 %d %ls \u20ac\n", 42, L"\u00fcber");
    EXPECT_EQ(markTimeStamps(logText()), "<P>caf\xC3\xA9 42 \xC3\xBC" "ber \xE2\x82\xAC\n");
}

TEST_F(CLogTest, LastErrorIsFollowedByTheSystemText)
{
    char* expected = CSystemServices::getErrorText(2);
    ASSERT_NE(expected, nullptr);
    std::string systemText = expected;
    CSystemServices::freeErrorText(expected);
    while (!systemText.empty() && (systemText.back() == '\n' || systemText.back() == '\r'))
        systemText.pop_back();
    ASSERT_FALSE(systemText.empty());

    getLog()->setLowestLevel(1);
    CSystemServices::setLastError(2);
    logLastError();
    std::vector<std::string> lines = splitLines(markTimeStamps(logText()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "<P>### Win32 error code: 2 ###");
    std::string line = lines[1];
    while (!line.empty() && line.back() == '\r')
        line.pop_back();
    EXPECT_EQ(line, "<P>" + systemText);
}

TEST_F(CLogTest, ReopenNamesTheFile)
{
    CLog* log = getLog();
    reopenLog("bare_log.txt");
    EXPECT_EQ(std::string(log->getFileName()), m_folder.path() + "/bare_log.txt");
    EXPECT_TRUE(std::filesystem::exists(m_folder.file("bare_log.txt")));

    std::filesystem::create_directories(m_folder.file("nested"));
    std::string named = m_folder.path() + "/nested/../named.txt";
    reopenLog(named.c_str());
    EXPECT_EQ(std::string(log->getFileName()), named);
    EXPECT_TRUE(std::filesystem::exists(m_folder.file("named.txt")));

    reopenLog(nullptr);
    EXPECT_EQ(std::string(log->getFileName()), m_folder.path() + "/tavrintest_log.txt");

    // Kept whole even when the system cannot open it.
    std::string tooLong = m_folder.path() + "/" + std::string(300, 'n');
    reopenLog(tooLong.c_str());
    EXPECT_EQ(std::string(log->getFileName()), tooLong);
}

// Whole file, read or written through the engine's own long-path-capable open.
std::string readLong(const std::string& path)
{
    std::string text;
    if (FILE* file = CFileSystem::openFile(path.c_str(), "r"))
    {
        char buffer[4096];
        for (size_t count; (count = fread(buffer, 1, sizeof(buffer), file)) > 0;)
            text.append(buffer, count);
        fclose(file);
    }
    return text;
}

bool writeLong(const std::string& path, const std::string& text)
{
    FILE* file = CFileSystem::openFile(path.c_str(), "w");
    return file && fputs(text.c_str(), file) >= 0 && fclose(file) == 0;
}

// A report name longer than any fixed buffer names that file and no other: the
// file named by its first characters (255 for the log, 1023 for the crash
// report, where names used to be cut) stays as it was.
TEST_F(CLogTest, LongReportNamesAreKeptWholeAndSpareOtherFiles)
{
    CFileUtils::createAliasArray();
    std::string deep = m_folder.path();
    for (char letter : std::string("defgh"))
        deep += "/" + std::string(200, letter);
    CFileUtils::createDirectory(deep.c_str());
    const std::string logName = CFileName::toNativeFullPath((deep + "/tool_log.txt").c_str()).c_str();
    const std::string crashName = CFileName::toNativeFullPath((deep + "/tool_crash.txt").c_str()).c_str();
    const CString savedCrashName = CStackTrace::getCrashFileName();
    std::vector<std::string> written = {logName, crashName};
    struct SCase
    {
        const std::string& name;
        size_t cutAt;
        void (*report)(const char* name);
        const char* expected;
    } cases[] = {{logName, 255, [](const char* name) { reopenLog(name); }, "Log file of '"},
                 {crashName, 1023,
                  [](const char* name) {
                      CStackTrace::setCrashFileName(name);
                      dumpStackTrace();
                  },
                  "-- EXCEPTION DETECTED"}};
    for (const SCase& c : cases)
    {
        ASSERT_GT(c.name.size(), c.cutAt);
        const std::string victim = c.name.substr(0, c.cutAt);
        ASSERT_TRUE(writeLong(victim, "someone else's\n")) << victim;
        c.report(c.name.c_str());
        EXPECT_EQ(readLong(victim), "someone else's\n") << c.name;
        EXPECT_NE(readLong(c.name).find(c.expected), std::string::npos) << c.name;
        written.push_back(victim);
    }
    CStackTrace::setCrashFileName(savedCrashName.c_str());
    CFileUtils::destroyAliasArray();
    // The C++ library's clean-up stops at the system's short path limit.
    uninstallLog();
    for (const std::string& file : written)
        CFileSystem::removeFile(file.c_str());
    for (std::string folder = deep; folder.size() > m_folder.path().size(); folder.resize(folder.rfind('/')))
        EXPECT_TRUE(CFileSystem::removeDirectory(folder.c_str())) << folder;
}

TEST_F(CLogTest, ReopenStartsANewFileWithTheHeader)
{
    CLog* log = getLog();
    log->setLowestLevel(1);
    Tavrin::Engine::log("before reopen\n");
    reopenLog("tavrintest_log.txt");
    Tavrin::Engine::log("after reopen\n");

    std::vector<std::string> lines = splitLines(logText());
    ASSERT_GT(lines.size(), 10u);
    const std::string separator(76, '=');
    EXPECT_EQ(lines[0], separator);
    EXPECT_EQ(lines[1], "Log file of '" + m_folder.file("tavrintest.exe") + "'");
    EXPECT_EQ(lines[2], separator);
    EXPECT_EQ(lines[3], "");
    // Other processes change the free space between two readings.
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[4], match, std::regex(R"(Free disk space: (\d+\.\d) Mb)"))) << lines[4];
    double free = static_cast<double>(CSystem::getFreeDiskSpaceMb());
    EXPECT_NEAR(atof(match[1].str().c_str()), free, 100.0 + free * 0.01);
    char disk[64];
    snprintf(disk, sizeof(disk), "Total disk space: %.1f Mb", static_cast<double>(CSystem::getTotalDiskSpaceMb()));
    EXPECT_EQ(lines[5], disk);
    // The machine's description follows, then an empty line ends the header.
    EXPECT_TRUE(std::regex_match(lines[6], std::regex(R"(System time is .*\.)"))) << lines[6];
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(markTimeStamps(lines.back()), "<P>after reopen");
}

// Another running instance holds the log's name (as this one holds its own
// file open): this one writes a numbered name and says so in its first line,
// and the other's file keeps every byte.
TEST_F(CLogTest, TwoRunningInstancesNeverWriteIntoOneLogFile)
{
    const struct
    {
        const char* path;
        uint32_t number;
        const char* expected;
    } names[] = {{"/a/x_log.txt", 1, "/a/x_log.txt"}, {"/a/x_log.txt", 2, "/a/x_log-2.txt"},
                 {"/a.b/x", 3, "/a.b/x-3"}, {"C:\\a\\x.y.txt", 12, "C:\\a\\x.y-12.txt"}};
    for (const auto& name : names)
        EXPECT_STREQ(CLog::numberedName(name.path, name.number).c_str(), name.expected) << name.path;

    getLog()->setLowestLevel(1);
    reopenLog(nullptr);
    std::string first = logPath();
    EXPECT_EQ(getLog()->getFileNumber(), 1u);
    int32_t outcome;
    FILE* other = CFileSystem::openOwnFile(first.c_str(), true, &outcome);
    EXPECT_EQ(other, nullptr) << "the file this log holds";
    EXPECT_EQ(outcome, CFileSystem::C_OPEN_IN_USE);
    uninstallLog();

    // The first instance, as another process holds it.
    other = CFileSystem::openOwnFile(first.c_str(), true, &outcome);
    ASSERT_NE(other, nullptr);
    fputs("first instance's line\n", other);
    fflush(other);
    installLog();
    getLog()->setLowestLevel(1);
    ASSERT_TRUE(reopenLog(nullptr));
    Tavrin::Engine::log("second instance's line\n");
    EXPECT_EQ(logPath(), m_folder.path() + "/tavrintest_log-2.txt");
    EXPECT_EQ(getLog()->getFileNumber(), 2u);
    // Its first line, unless the header's system section had one to log.
    std::vector<std::string> lines = splitLines(markTimeStamps(logText()));
    auto said = std::find_if(lines.begin(), lines.end(),
                             [](const std::string& line) { return line.find(" is in use by ") != std::string::npos; });
    ASSERT_NE(said, lines.end());
    EXPECT_EQ(*said, "<P>Log file '" + first + "' is in use by another instance of the program: this one writes '" +
                         logPath() + "'");
    EXPECT_EQ(lines.back(), "<P>second instance's line");
    EXPECT_EQ(said + 2, lines.end());
    fclose(other);
    EXPECT_EQ(readFile(first), "first instance's line\n");
}

// Whatever took one of the log's names (a folder, another user's file,
// another instance) moves the log on to the next name, and its first line
// says why; with every name in use no file is announced.
TEST_F(CLogTest, NamesThatCannotBeOpenedAreSkipped)
{
    const struct
    {
        uint32_t inUse, folderAt, expected; // names 1 to inUse are held by other instances
        const char* why;
    } cases[] = {{0, 1, 2, "cannot be written ("},
                 {1, 2, 3, "is in use by another instance of the program"},
                 {CLog::C_MAXIMUM_FILE_NUMBER, 0, 0, ""}};
    getLog()->setLowestLevel(1);
    for (const auto& row : cases)
    {
        CString first = m_folder.file(std::to_string(row.inUse) + "_log.txt").c_str();
        std::vector<FILE*> held;
        int32_t outcome;
        for (uint32_t number = 1; number <= row.inUse; ++number)
            held.push_back(CFileSystem::openOwnFile(CLog::numberedName(first, number), true, &outcome));
        if (row.folderAt)
            std::filesystem::create_directory(CLog::numberedName(first, row.folderAt).c_str());
        testing::internal::CaptureStderr();
        EXPECT_EQ(reopenLog(first.c_str()), row.expected != 0) << first.c_str();
        std::string announced = testing::internal::GetCapturedStderr();
        EXPECT_EQ(getLog()->getFileNumber(), std::max(row.expected, 1u));
        EXPECT_EQ(getLog()->getNamesInUse(), row.inUse);
        EXPECT_FALSE(!row.expected && announced.find("Log file is") != std::string::npos) << announced;
        std::vector<std::string> lines = splitLines(markTimeStamps(readFile(logPath())));
        std::string said = lines.empty() ? "" : lines.back();
        EXPECT_EQ(row.expected ? said.rfind("<P>Log file '" + std::string(first.c_str()) + "' " + row.why, 0) : 0, 0u)
            << said;
        for (FILE* file : held)
            if (file)
                fclose(file);
    }
}

TEST_F(CLogTest, UnopenableFileLosesTheMessageAndRetries)
{
    CLog* log = getLog();
    log->setLowestLevel(1);
    std::string path = m_folder.path() + "/missing/log.txt";
    reopenLog(path.c_str());
    Tavrin::Engine::log("lost\n");
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::create_directories(m_folder.file("missing"));
    Tavrin::Engine::log("kept\nand kept\n");
    EXPECT_EQ(markTimeStamps(readFile(path)), "<P>kept\n<P>and kept\n");
}

TEST_F(CLogTest, InstallingTwiceReplacesTheLog)
{
    getLog()->setLowestLevel(1);
    Tavrin::Engine::log("first log\n");
    installLog();
    EXPECT_EQ(getLog()->getLowestLevel(), 2u);
    logLevel(2, "second log\n");
    EXPECT_EQ(markTimeStamps(logText()), "<P>first log\n<P>second log\n");
}

} // namespace
