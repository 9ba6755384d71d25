#include "Engine/IKernel/CException.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

// Every text the log writes, and what the crash file held when the
// exception's own line arrived.
std::vector<std::string> logged;
std::string crashPath;
std::string crashFileAtLogLine;

void recordText(const char* text)
{
    logged.push_back(text);
    if (std::string(text).rfind("Exception (", 0) == 0)
        crashFileAtLogLine = readFile(crashPath);
}

class CExceptionTest : public CLogTestBase
{
protected:
    void SetUp() override
    {
        CLogTestBase::SetUp();
        getLog()->setLowestLevel(1);
        getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
        crashPath = m_folder.file("tavrintest_crash.txt");
        CStackTrace::installCrashHandler(crashPath.c_str());
        logged.clear();
        crashFileAtLogLine.clear();
        getLog()->addListener(recordText);
    }
    void TearDown() override
    {
        CStackTrace::installCrashHandler("crashLog.txt");
        CLogTestBase::TearDown();
    }
};

struct SThrowCase
{
    std::function<void()> thrower;
    const char* description;
};

TEST_F(CExceptionTest, EverySubclassHasItsDescriptionButLogsUnknown)
{
    const SThrowCase cases[] = {
        {[] { TAVRIN_THROW_AT(CInvalidArgumentException, "a\n", "F", 1); },
         "Some function arguments are invalid or out of range"},
        {[] { TAVRIN_THROW_AT(CInvalidOperationException, "a\n", "F", 1); }, "The operation is invalid"},
        {[] { TAVRIN_THROW_AT(CInternalErrorException, "a\n", "F", 1); }, "An internal error has been detected"},
        {[] { TAVRIN_THROW_AT(CNotFoundException, "a\n", "F", 1); },
         "A resource or some data is missing or could not be located"},
        {[] { TAVRIN_THROW_AT(CNotImplementedException, "a\n", "F", 1); },
         "The operation has not been implemented yet"},
        {[] { TAVRIN_THROW_AT(CInvalidDataException, "a\n", "F", 1); }, "The input data is invalid"},
        {[] { TAVRIN_THROW_AT(CNotSupportedException, "a\n", "F", 1); },
         "The operation is not supported by your system/configuration"},
    };
    for (const SThrowCase& throwCase : cases)
    {
        logged.clear();
        try
        {
            throwCase.thrower();
            ADD_FAILURE() << "nothing thrown for " << throwCase.description;
        }
        catch (const CException& exception)
        {
            EXPECT_STREQ(exception.getDescription(), throwCase.description);
        }
        ASSERT_GE(logged.size(), 2u);
        EXPECT_EQ(logged[logged.size() - 2], "Exception (Unknown) F::1 -> a\n");
        EXPECT_EQ(logged.back(), "\n");
    }
    CException base(CString("b\n"), "G", 2);
    EXPECT_STREQ(base.getDescription(), "Unknown");
}

TEST_F(CExceptionTest, ThrowWritesTheCrashReportThenTheLogLine)
{
    getLog()->setTimeStampMode(CLog::C_TIMESTAMP_SECONDS_AND_MEMORY);
    try
    {
        TAVRIN_THROW_AT(CInvalidArgumentException, "x\n", "F", 12);
    }
    catch (const CInvalidArgumentException& exception)
    {
        EXPECT_STREQ(exception.getFile().c_str(), "F");
        EXPECT_EQ(exception.getLine(), 12);
        EXPECT_STREQ(exception.getDetails().c_str(), "x\n");
    }
    EXPECT_EQ(crashFileAtLogLine.rfind("-- EXCEPTION DETECTED -----------------------\n", 0), 0u) << crashFileAtLogLine;

    std::string text = markTimeStamps(logText());
    size_t head = text.find("<P>-- EXCEPTION DETECTED");
    size_t line = text.find("<P>Exception (Unknown) F::12 -> x\n<P>\n");
    ASSERT_NE(head, std::string::npos) << text;
    ASSERT_NE(line, std::string::npos) << text;
    EXPECT_LT(head, line);
    // The exception's line and its empty line end the log.
    EXPECT_EQ(line + strlen("<P>Exception (Unknown) F::12 -> x\n<P>\n"), text.size());
}

TEST_F(CExceptionTest, DetailsAreBuiltAfterTheCrashReport)
{
    try
    {
        TAVRIN_THROW(CNotFoundException, CString("Name '") + "gpuPermTable" + "' not found\n", "Engine/IKernel/Test");
    }
    catch (const CNotFoundException& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), "Name 'gpuPermTable' not found\n");
        EXPECT_STREQ(exception.getFile().c_str(), "Engine/IKernel/Test");
        EXPECT_GT(exception.getLine(), 0);
    }
}

TEST_F(CExceptionTest, CopiesKeepEverythingAndLogNothing)
{
    CNotImplementedException original(CString("Method not implemented\n"), "Engine/IKernel/CManager", 77);
    size_t before = logged.size();
    CNotImplementedException copy(original);
    CException baseCopy(original);
    CNotImplementedException assigned(CString("other\n"), "other", 1);
    size_t afterAssignedConstruction = logged.size();
    assigned = original;
    EXPECT_EQ(before + 2, afterAssignedConstruction);
    EXPECT_EQ(logged.size(), afterAssignedConstruction);
    const CException* copies[] = {&copy, &baseCopy, &assigned};
    for (const CException* exception : copies)
    {
        EXPECT_STREQ(exception->getFile().c_str(), "Engine/IKernel/CManager");
        EXPECT_EQ(exception->getLine(), 77);
        EXPECT_STREQ(exception->getDetails().c_str(), "Method not implemented\n");
    }
    EXPECT_STREQ(copy.getDescription(), "The operation has not been implemented yet");
    EXPECT_STREQ(baseCopy.getDescription(), "Unknown");
}

TEST_F(CExceptionTest, ReportTextAndCaption)
{
    struct SReportCase
    {
        CString details;
        const char* file;
        int32_t line;
        const char* report;
    };
    const SReportCase cases[] = {
        {CString("x\n"), "F", 12,
         "Exception in:\n- File: F\n- Line: 12\nSome function arguments are invalid or out of range\n\nDetails:\nx\n"},
        {CString(), nullptr, -5,
         "Exception in:\n- File: \n- Line: -5\nSome function arguments are invalid or out of range\n\nDetails:\n"},
        {CString("100% sure %s %d\n"), "Engine/IKernel/IKernel", 529,
         "Exception in:\n- File: Engine/IKernel/IKernel\n- Line: 529\n"
         "Some function arguments are invalid or out of range\n\nDetails:\n100% sure %s %d\n"},
    };
    for (const SReportCase& reportCase : cases)
    {
        CInvalidArgumentException exception(reportCase.details, reportCase.file, reportCase.line);
        EXPECT_STREQ(exception.buildReport().c_str(), reportCase.report);
    }
    EXPECT_STREQ(CException::buildCaption().c_str(), "tavrintest: exception detected");
}

} // namespace
