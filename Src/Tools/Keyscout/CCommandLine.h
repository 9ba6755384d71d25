#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the command line asks of the program. Options only: Keyscout takes
// no file names.
class CCommandLine
{
public:
    // In rising precedence: help wins over version, both over a run.
    enum TMode
    {
        C_MODE_DIALOG,
        C_MODE_ONCE,
        C_MODE_VERSION,
        C_MODE_HELP,
        // An option the program does not know; getError says which.
        C_MODE_UNKNOWN
    };

    CCommandLine(int argumentCount, const char* const* arguments);

    TMode getMode() const { return m_mode; }
    const std::string& getError() const { return m_error; }
    // --verbose: every log line is copied to standard error too.
    bool isVerbose() const { return m_verbose; }
    // --joystick N, at most twice: the joysticks --once watches, as the
    // dialog's lists number them; empty for the default, the first two.
    const std::vector<uint32_t>& getJoysticks() const { return m_joysticks; }

    static const char* const C_USAGE;

private:
    bool _readJoystick(const char* value);

    TMode m_mode = C_MODE_DIALOG;
    std::string m_error;
    bool m_verbose = false;
    std::vector<uint32_t> m_joysticks;
};
