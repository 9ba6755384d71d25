#include "Tools/Keyscout/CCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CCommandLineTest, ModesAndTheirPrecedence)
{
    struct SCase
    {
        std::vector<const char*> arguments;
        CCommandLine::TMode mode;
        const char* error;
    };
    const SCase cases[] = {
        {{}, CCommandLine::C_MODE_DIALOG, ""},
        {{"--once"}, CCommandLine::C_MODE_ONCE, ""},
        {{"--help"}, CCommandLine::C_MODE_HELP, ""},
        {{"-h"}, CCommandLine::C_MODE_HELP, ""},
        {{"--version"}, CCommandLine::C_MODE_VERSION, ""},
        {{"--once", "-V"}, CCommandLine::C_MODE_VERSION, ""},
        {{"--version", "--help", "--once"}, CCommandLine::C_MODE_HELP, ""},
        {{"--once", "--bogus", "--help"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: unknown option '--bogus'"},
        {{"once"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: unknown option 'once'"},
    };
    for (const SCase& c : cases)
    {
        std::vector<const char*> argv = {"keyscout"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        CCommandLine commandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(commandLine.getMode(), c.mode) << c.error;
        EXPECT_EQ(commandLine.getError(), c.error);
    }
}

} // namespace
