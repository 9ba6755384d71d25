#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
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

} // namespace
