#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/KernelTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace Tavrin::Engine;
using namespace TavrinTest;

namespace {

class CLogLinkTest : public CLogTestBase
{
};

// A symbolic link (or another name of another file) put where a report
// goes is replaced by the report: the file it leads to keeps every byte.
TEST_F(CLogLinkTest, ReportsAreNeverWrittenThroughALink)
{
    const CString savedCrashName = CStackTrace::getCrashFileName();
    const struct
    {
        const char* name;
        bool hardLink;
        void (*report)(const std::string& path);
        const char* expected;
    } cases[] = {
        {"log_symbolic.txt", false, [](const std::string& path) { reopenLog(path.c_str()); }, "Log file of '"},
        {"log_hard.txt", true, [](const std::string& path) { reopenLog(path.c_str()); }, "Log file of '"},
        {"crash_symbolic.txt", false,
         [](const std::string& path) {
             CStackTrace::setCrashFileName(path.c_str());
             dumpStackTrace();
         },
         "-- EXCEPTION DETECTED"},
    };
    for (const auto& c : cases)
    {
        std::string victim = m_folder.file(std::string("victim_") + c.name);
        std::string name = m_folder.file(c.name);
        std::ofstream(victim) << "someone else's\n";
        if (c.hardLink)
            std::filesystem::create_hard_link(victim, name);
        else
            std::filesystem::create_symlink(victim, name);
        c.report(name);
        EXPECT_EQ(readFile(victim), "someone else's\n") << c.name;
        EXPECT_FALSE(std::filesystem::is_symlink(name)) << c.name;
        EXPECT_EQ(std::filesystem::hard_link_count(name), 1u) << c.name;
        EXPECT_NE(readFile(name).find(c.expected), std::string::npos) << c.name;
    }
    CStackTrace::setCrashFileName(savedCrashName.c_str());
}

} // namespace
