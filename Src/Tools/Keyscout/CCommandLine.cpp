#include "Tools/Keyscout/CCommandLine.h"

#include <cstring>

const char* const CCommandLine::C_USAGE =
    "Usage: keyscout [--once] [--verbose]\n"
    "       keyscout --help | --version\n"
    "Shows the names under which the engine's input mapper knows the keys, mouse\n"
    "buttons, wheel, joystick buttons, axes and hat arrows you press.\n"
    "\n"
    "  --once         no dialog: open the detection window, print the names, exit\n"
    "  --verbose      copy every line of the log to standard error\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "Every finished detection is printed as one line on standard output,\n"
    "for example: keyscout | tee bindings.txt\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  --once ended with nothing recorded (the window was closed)\n"
    "  2  usage error, or no graphical display\n"
    "  3  any other failure: display lost, detection window could not open,\n"
    "     result could not be written\n";

namespace {

struct SOption
{
    const char* name;
    CCommandLine::TMode mode;
};

const SOption C_OPTIONS[] = {
    {"--once", CCommandLine::C_MODE_ONCE},   {"--help", CCommandLine::C_MODE_HELP},
    {"-h", CCommandLine::C_MODE_HELP},       {"--version", CCommandLine::C_MODE_VERSION},
    {"-V", CCommandLine::C_MODE_VERSION},
};

} // namespace

CCommandLine::CCommandLine(int argumentCount, const char* const* arguments)
{
    for (int i = 1; i < argumentCount; ++i)
    {
        if (strcmp(arguments[i], "--verbose") == 0)
        {
            m_verbose = true;
            continue;
        }
        const SOption* found = nullptr;
        for (const SOption& option : C_OPTIONS)
            if (strcmp(arguments[i], option.name) == 0)
                found = &option;
        if (!found)
        {
            m_mode = C_MODE_UNKNOWN;
            m_error = std::string("keyscout: unknown option '") + arguments[i] + "'";
            return;
        }
        if (found->mode > m_mode)
            m_mode = found->mode;
    }
}
