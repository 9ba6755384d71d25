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
        std::vector<uint32_t> joysticks;
    };
    const SCase cases[] = {
        {{}, CCommandLine::C_MODE_DIALOG, "", {}},
        {{"--once"}, CCommandLine::C_MODE_ONCE, "", {}},
        {{"--help"}, CCommandLine::C_MODE_HELP, "", {}},
        {{"-h"}, CCommandLine::C_MODE_HELP, "", {}},
        {{"--version"}, CCommandLine::C_MODE_VERSION, "", {}},
        {{"--once", "-V"}, CCommandLine::C_MODE_VERSION, "", {}},
        {{"--version", "--help", "--once"}, CCommandLine::C_MODE_HELP, "", {}},
        {{"--once", "--bogus", "--help"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: unknown option '--bogus'", {}},
        {{"once"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: unknown option 'once'", {}},
        {{"--once", "--joystick", "3", "--joystick", "0"}, CCommandLine::C_MODE_ONCE, "", {3, 0}},
        {{"--joystick", "15", "--once"}, CCommandLine::C_MODE_ONCE, "", {15}},
        {{"--joystick", "1"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: --joystick goes with --once", {1}},
        {{"--once", "--joystick", "1", "--joystick", "2", "--joystick", "3"},
         CCommandLine::C_MODE_UNKNOWN,
         "keyscout: --joystick is given at most twice",
         {1, 2}},
        {{"--once", "--joystick", "16"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: --joystick needs a number from 0 to 15", {}},
        {{"--once", "--joystick", "-1"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: --joystick needs a number from 0 to 15", {}},
        {{"--once", "--joystick", "1x"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: --joystick needs a number from 0 to 15", {}},
        {{"--once", "--joystick"}, CCommandLine::C_MODE_UNKNOWN, "keyscout: --joystick needs a number from 0 to 15", {}},
    };
    for (const SCase& c : cases)
    {
        std::vector<const char*> argv = {"keyscout"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        CCommandLine commandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(commandLine.getMode(), c.mode) << c.error;
        EXPECT_EQ(commandLine.getError(), c.error);
        EXPECT_EQ(commandLine.getJoysticks(), c.joysticks) << c.error;
    }
}

} // namespace
