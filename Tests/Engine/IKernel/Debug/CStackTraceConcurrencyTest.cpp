#include "Engine/IKernel/Debug/CStackTrace.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;
using namespace TavrinTests;

namespace {

__attribute__((noinline)) void throwOnWorker()
{
    TAVRIN_THROW(CInvalidOperationException, "worker\n", "Engine/Tests/CStackTraceConcurrencyTest");
}

// A stack `depth` frames deeper than the caller's, so that its report is
// longer by as many lines.
__attribute__((noinline)) int reportFromDepth(int depth)
{
    if (depth == 0)
    {
        dumpStackTrace();
        return 0;
    }
    volatile int after = reportFromDepth(depth - 1);
    return after + 1;
}

// A short report asked for while a long one is being written: the file then
// holds one of them whole, never the short one followed by the long one's tail.
TEST(CStackTraceConcurrency, OverlappingReportsLeaveOneWholeReport)
{
    std::string folder = makeTestFolder("CStackTraceOverlapTest");
    std::string crashFile = folder + "/crash.txt";
    installLog();
    CStackTrace::setCrashFileName(crashFile.c_str());
    for (int round = 0; round < 3; ++round)
    {
        std::atomic<bool> longStarted(false);
        std::thread longReport([&] {
            longStarted = true;
            reportFromDepth(400);
        });
        while (!longStarted)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        reportFromDepth(0);
        longReport.join();
        std::string report = readFile(crashFile);
        EXPECT_EQ(countOf(report, "-- EXCEPTION DETECTED"), 1u) << "round " << round;
        EXPECT_EQ(countOf(report, "\nSystem:\n"), 1u) << "round " << round;
    }
    uninstallLog();
    CStackTrace::setCrashFileName("crashLog.txt");
}

// Reports from several threads at once: each is whole in the log, and the
// file holds one whole report.
TEST(CStackTraceConcurrency, ReportsOfThreadsDoNotInterleave)
{
    std::string folder = makeTestFolder("CStackTraceConcurrencyTest");
    std::string logFile = folder + "/log.txt";
    std::string crashFile = folder + "/crash.txt";
    installLog();
    getLog()->setLowestLevel(1);
    reopenLog(logFile.c_str());
    CStackTrace::setCrashFileName(crashFile.c_str());

    const int threads = 4, throwsPerThread = 3;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([] {
            for (int i = 0; i < throwsPerThread; ++i)
            {
                try
                {
                    throwOnWorker();
                }
                catch (const CInvalidOperationException&)
                {
                }
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    uninstallLog();
    CStackTrace::setCrashFileName("crashLog.txt");

    // Each head is followed by its own stack before the next head starts.
    int heads = 0;
    bool inReport = false;
    for (const std::string& line : splitLines(readFile(logFile)))
    {
        if (line.find("] -- EXCEPTION DETECTED") != std::string::npos)
        {
            EXPECT_FALSE(inReport) << "a report started inside another";
            inReport = true;
            ++heads;
        }
        else if (line.find("throwOnWorker()") != std::string::npos)
            inReport = false;
    }
    EXPECT_EQ(heads, threads * throwsPerThread);
    EXPECT_FALSE(inReport);

    std::string report = readFile(crashFile);
    EXPECT_EQ(countOf(report, "-- EXCEPTION DETECTED"), 1u);
    EXPECT_EQ(countOf(report, "\nCall Stack:\n"), 1u);
    EXPECT_EQ(countOf(report, "\nSystem:\n"), 1u);
    EXPECT_EQ(countOf(report, "Enumerating display adapters:"), 1u);
}

std::atomic<bool> listenerHoldsTheLog{false};
// Set on the thread whose message the listener answers with a throw.
thread_local bool t_throwHere = false;

// Gives the other thread time to start its report, then throws as engine
// code does (the throw writes a report).
void throwingListener(const char*)
{
    if (!t_throwHere)
        return;
    t_throwHere = false;
    listenerHoldsTheLog = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    TAVRIN_THROW(CInvalidOperationException, "listener\n", "Engine/Tests/CStackTraceConcurrencyTest");
}

// One thread logs and a listener throws (log lock, then the report's lock);
// another writes a report, which logs each line. Run in a child process that
// ends itself with status 2 when the two have not finished in 10 s.
void logAndReportAtOnce()
{
    std::string folder = makeTestFolder("CStackTraceLockOrderTest");
    installLog();
    getLog()->setLowestLevel(1);
    reopenLog((folder + "/log.txt").c_str());
    CStackTrace::setCrashFileName((folder + "/crash.txt").c_str());
    getLog()->addListener(throwingListener);

    std::mutex mutex;
    std::condition_variable finished;
    int done = 0;
    auto finish = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++done;
        finished.notify_one();
    };
    std::thread logging([&] {
        t_throwHere = true;
        try
        {
            Tavrin::Engine::log("message heard by a throwing listener\n");
        }
        catch (const CInvalidOperationException&)
        {
        }
        finish();
    });
    std::thread reporting([&] {
        while (!listenerHoldsTheLog)
            std::this_thread::yield();
        dumpStackTrace();
        finish();
    });
    std::unique_lock<std::mutex> lock(mutex);
    if (!finished.wait_for(lock, std::chrono::seconds(10), [&] { return done == 2; }))
    {
        fputs("deadlock: neither thread finished in 10 s\n", stderr);
        fflush(stderr);
        _Exit(2);
    }
    lock.unlock();
    logging.join();
    reporting.join();
    getLog()->removeListener(throwingListener);
    uninstallLog();
    fputs("both finished\n", stderr);
    exit(0);
}

// A thread logging while a listener throws and a thread writing a crash
// report take the log's and the report's locks in one order: both finish.
TEST(CStackTraceConcurrency, LoggingThrowAndReportTakeTheLocksInOneOrder)
{
    // A fresh process: forking this one's threads would upset the sanitizers.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(logAndReportAtOnce(), testing::ExitedWithCode(0), "both finished");
}

} // namespace
