#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

std::atomic<int> heardPieces{0};

void countPiece(const char*)
{
    ++heardPieces;
}

class CLogConcurrencyTest : public CLogTestBase
{
};

// Lines of concurrent messages never interleave inside a line.
TEST_F(CLogConcurrencyTest, LinesStayWhole)
{
    const int threadCount = 4;
    const int messageCount = 200;
    getLog()->setLowestLevel(1);
    getLog()->addListener(countPiece);
    heardPieces = 0;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < threadCount; ++thread)
        threads.emplace_back([thread] {
            for (int message = 0; message < messageCount; ++message)
            {
                if (message % 2)
                    Tavrin::Engine::log("thread %d message %d\n", thread, message);
                else
                    logLevel(2, "thread %d message %d first\nthread %d message %d second\n", thread, message, thread,
                             message);
            }
        });
    for (std::thread& thread : threads)
        thread.join();

    std::map<std::string, int> seen;
    for (const std::string& line : splitLines(logText()))
    {
        std::string text = markTimeStamps(line);
        ASSERT_EQ(text.rfind("<P>thread ", 0), 0u) << line;
        ++seen[text];
    }
    const size_t lineCount = threadCount * messageCount / 2 * 3;
    EXPECT_EQ(seen.size(), lineCount);
    for (const auto& entry : seen)
        EXPECT_EQ(entry.second, 1) << entry.first;
    // A prefix and a text per line.
    EXPECT_EQ(heardPieces.load(), static_cast<int>(lineCount * 2));
}

std::atomic<bool> walkStarted{false};
std::atomic<bool> listenerRemoved{false};
std::atomic<int> callsAfterRemoval{0};

// First in the list: holds the walk long enough for another thread's removal.
void slowListener(const char*)
{
    walkStarted = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void removedListener(const char*)
{
    if (listenerRemoved)
        ++callsAfterRemoval;
}

// A listener whose removal has returned is never called again, even by a
// message that another thread was telling the listeners meanwhile.
TEST_F(CLogConcurrencyTest, RemovedListenerIsNeverCalledAgain)
{
    getLog()->setLowestLevel(1);
    getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
    for (int round = 0; round < 3; ++round)
    {
        walkStarted = false;
        listenerRemoved = false;
        callsAfterRemoval = 0;
        getLog()->addListener(slowListener);
        getLog()->addListener(removedListener);
        std::thread writer([] { Tavrin::Engine::log("heard\n"); });
        while (!walkStarted)
            std::this_thread::yield();
        getLog()->removeListener(removedListener);
        listenerRemoved = true;
        writer.join();
        getLog()->removeListener(slowListener);
        EXPECT_EQ(callsAfterRemoval.load(), 0) << "round " << round;
    }
}

const std::string innerLine(200, 'i');

// Overwrites the shared formatting buffer while the message it heard is
// still being written.
void nestedLoggingListener(const char*)
{
    static thread_local bool nested = false;
    if (nested)
        return;
    nested = true;
    Tavrin::Engine::log("%s\n", innerLine.c_str());
    nested = false;
}

// A listener added while a message is on its way must not make that message
// read the shared buffer after a nested log rewrote it: every line written
// is one of those logged.
TEST_F(CLogConcurrencyTest, ListenerAddedMeanwhileSeesNoOverwrittenText)
{
    getLog()->setLowestLevel(1);
    const int messageCount = 3000;
    std::atomic<bool> started{false}, done{false};
    std::thread toggler([&] {
        while (!done)
        {
            getLog()->addListener(nestedLoggingListener);
            getLog()->removeListener(nestedLoggingListener);
            started = true;
        }
    });
    while (!started)
        std::this_thread::yield();
    // Ten lines: the longer a message takes, the likelier a listener comes meanwhile.
    for (int message = 0; message < messageCount; ++message)
        Tavrin::Engine::log("outer 0\nouter 1\nouter 2\nouter 3\nouter 4\nouter 5\nouter 6\nouter 7\nouter 8\nouter 9\n");
    done = true;
    toggler.join();

    std::map<std::string, int> seen;
    for (const std::string& line : splitLines(markTimeStamps(logText())))
        ++seen[line];
    for (int line = 0; line < 10; ++line)
    {
        std::string outer = "<P>outer " + std::to_string(line);
        EXPECT_EQ(seen[outer], messageCount) << outer;
        seen.erase(outer);
    }
    seen.erase("<P>" + innerLine);
    EXPECT_TRUE(seen.empty()) << seen.begin()->first;
}

std::vector<std::string> heardByTheJoiner;

// Hands the messages it hears to a thread that logs, and waits for it.
void joiningListener(const char* text)
{
    heardByTheJoiner.push_back(text);
    if (strncmp(text, "hand", 4) == 0)
        std::thread([] {
            Tavrin::Engine::log("logged by the waited thread\n");
            getLog()->printf("printed by it\n");
        }).join();
}

// In a child process that ends itself with status 2 when the listener hangs.
void logToAListenerThatWaitsForALoggingThread()
{
    installLog();
    getLog()->setLowestLevel(1);
    getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
    reopenLog((TavrinTests::makeTestFolder("CLogListenerConcurrency") + "/log.txt").c_str());
    getLog()->addListener(joiningListener);
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(10));
        _Exit(2);
    }).detach();
    Tavrin::Engine::log("hand over\n");
    getLog()->printf("hand over through printf\n");
    const std::vector<std::string> expected = {"hand over\n", "logged by the waited thread\n", "printed by it\n",
                                               "hand over through printf\n", "logged by the waited thread\n",
                                               "printed by it\n"};
    fputs(heardByTheJoiner == expected ? "all heard\n" : "not all heard\n", stderr);
    _Exit(0);
}

TEST(CLogListenerConcurrency, ListenerWaitingForAThreadThatLogsDoesNotHang)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(logToAListenerThatWaitsForALoggingThread(), testing::ExitedWithCode(0), "all heard");
}

} // namespace
