#include "Tools/Keyscout/CCommandLine.h"

#include "Tools/Keyscout/CKeyscout.h"

#include <cstdlib>
#include <cstring>

const char* const CCommandLine::C_USAGE =
    "Usage: keyscout [--once [--joystick N]...] [--verbose]\n"
    "       keyscout --help | --version\n"
    "Shows the names under which the engine's input mapper knows the keys, mouse\n"
    "buttons, wheel, joystick buttons, axes and hat arrows you press.\n"
    "\n"
    "  --once         no dialog: open the detection window, print the names, exit\n"
    "  --joystick N   with --once: watch joystick N (from 0, as the dialog lists\n"
    "                 them) instead of the first two; at most twice\n"
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
        if (strcmp(arguments[i], "--joystick") == 0)
        {
            if (!_readJoystick(i + 1 < argumentCount ? arguments[++i] : nullptr))
                return;
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
    // The dialog has its own lists to choose from.
    if (m_mode == C_MODE_DIALOG && !m_joysticks.empty())
    {
        m_mode = C_MODE_UNKNOWN;
        m_error = "keyscout: --joystick goes with --once";
    }
}

bool CCommandLine::_readJoystick(const char* value)
{
    char* end = nullptr;
    unsigned long index = value && *value >= '0' && *value <= '9' ? strtoul(value, &end, 10) : 0;
    if (!end || *end || index >= CKeyscout::C_MAX_LISTED_JOYSTICKS || m_joysticks.size() >= CKeyscout::C_SLOT_COUNT)
    {
        m_mode = C_MODE_UNKNOWN;
        m_error = m_joysticks.size() >= CKeyscout::C_SLOT_COUNT
                      ? "keyscout: --joystick is given at most twice"
                      : "keyscout: --joystick needs a number from 0 to " + std::to_string(CKeyscout::C_MAX_LISTED_JOYSTICKS - 1);
        return false;
    }
    m_joysticks.push_back(static_cast<uint32_t>(index));
    return true;
}
