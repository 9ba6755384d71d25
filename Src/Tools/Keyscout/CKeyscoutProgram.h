#pragma once

#include "Tools/Keyscout/CCommandLine.h"

#include <cstdio>
#include <functional>

class CKeyscout;

// What both entries do around their dialog: the answers that need neither a
// display nor the engine, the modules' install and uninstall, the one-shot
// run, failures said in one line, and exit statuses that mean the same on
// every system.
class CKeyscoutProgram
{
public:
    enum TStatus
    {
        C_STATUS_SUCCESS = 0,
        // --once ended with nothing recorded.
        C_STATUS_NOTHING_RECORDED = 1,
        C_STATUS_USAGE = 2,
        // Display lost, detection window could not open, output not written.
        C_STATUS_FAILURE = 3
    };
    // Runs the dialog for the application until the user ends it; its status.
    typedef std::function<int(CKeyscout&)> TDialog;

    CKeyscoutProgram(int argumentCount, const char* const* arguments, FILE* output, FILE* errors);

    const CCommandLine& getCommandLine() const { return m_commandLine; }
    // --help, --version or a usage error are answered here, before any
    // display or module; true then, and status holds the exit status.
    bool answerAtOnce(int& status);
    // Called once the modules and the application exist.
    void setEngineReadyHook(const std::function<void()>& hook) { m_onEngineReady = hook; }
    // Called with the native handle of every detection window of --once
    // (the dialog sees its runs' windows itself).
    void setDetectionWindowHook(const std::function<void(void*)>& hook) { m_onDetectionWindow = hook; }
    // Installs the modules, runs the dialog or one detection, uninstalls.
    int run(const TDialog& dialog);
    // One line on the errors stream, prefixed with the program's name.
    void sayError(const char* text);
    // The status to exit with once the output has been flushed: a failure
    // when any line could not be written.
    int finish(int status);

private:
    int _runOnce(CKeyscout& application);
    // The joysticks --once watches; false (and said) when one named is not listed.
    bool _chooseJoysticks(CKeyscout& application);
    int _runApplication(const TDialog& dialog);

    CCommandLine m_commandLine;
    FILE* m_output;
    FILE* m_errors;
    std::function<void()> m_onEngineReady;
    std::function<void(void*)> m_onDetectionWindow;
};
