#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

// Here the debugger's output is standard error.
class CLogDebugOutputTest : public CLogTestBase
{
protected:
    void SetUp() override
    {
        CLogTestBase::SetUp();
        getLog()->setLowestLevel(1);
    }
};

TEST_F(CLogDebugOutputTest, MirrorSendsEveryPiece)
{
    CLog* log = getLog();
    log->setIndentation("> ");
    Tavrin::Engine::log("silent\n");
    log->setMirrorToDebugger(true);
    testing::internal::CaptureStderr();
    Tavrin::Engine::log("mirrored\ntwice\n");
    std::string output = testing::internal::GetCapturedStderr();
    log->setMirrorToDebugger(false);
    EXPECT_EQ(markTimeStamps(output), "<P>> mirrored\n<P>> twice\n");
    EXPECT_EQ(markTimeStamps(logText()), "<P>> silent\n<P>> mirrored\n<P>> twice\n");
}

// The new file is announced only with the mirror, and only once it is open;
// a file that cannot be opened is said either way.
TEST_F(CLogDebugOutputTest, UnopenableFileIsReported)
{
    std::string path = m_folder.path() + "/missing/log.txt";
    for (bool mirror : {true, false})
    {
        IKernel::setLogMirror(mirror);
        testing::internal::CaptureStderr();
        reopenLog(path.c_str());
        Tavrin::Engine::log("lost\n");
        Tavrin::Engine::log("lost\nas well\n");
        std::string output = testing::internal::GetCapturedStderr();
        EXPECT_EQ(output, "Cannot open log file !\nCannot open log file !\n");
    }
    IKernel::setLogMirror(true);
}

TEST_F(CLogDebugOutputTest, DisplayLogsTheReportAndWritesItToStandardError)
{
    getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
    CInvalidArgumentException exception(CString("100% %s\n"), "F", 12);
    testing::internal::CaptureStderr();
    bool confirmed = exception.display(nullptr);
    std::string output = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(confirmed);
    const std::string report =
        "Exception in:\n- File: F\n- Line: 12\nSome function arguments are invalid or out of range\n\nDetails:\n100% %s\n";
    EXPECT_NE(output.find("tavrintest: exception detected"), std::string::npos) << output;
    EXPECT_NE(output.find(report), std::string::npos) << output;
    EXPECT_EQ(logText(), "Exception (Unknown) F::12 -> 100% %s\n\nException:\n" + report + "\n");
}

} // namespace
