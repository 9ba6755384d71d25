#include "Tools/Keyscout/CKeyscoutProgram.h"

#include "Engine/IInput/IInput.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IRenderer/IRenderer.h"
#include "KeyscoutVersion.h"
#include "Tools/Keyscout/CConsoleFrontEnd.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/CStartupTrace.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

using namespace Tavrin::Engine;

CKeyscoutProgram::CKeyscoutProgram(int argumentCount, const char* const* arguments, FILE* output, FILE* errors)
    : m_commandLine(argumentCount, arguments), m_output(output), m_errors(errors)
{
}

bool CKeyscoutProgram::answerAtOnce(int& status)
{
    switch (m_commandLine.getMode())
    {
    case CCommandLine::C_MODE_HELP:
        fputs(CCommandLine::C_USAGE, m_output);
        status = finish(C_STATUS_SUCCESS);
        return true;
    case CCommandLine::C_MODE_VERSION:
        fprintf(m_output, "keyscout %s\n", KEYSCOUT_VERSION_TEXT);
        status = finish(C_STATUS_SUCCESS);
        return true;
    case CCommandLine::C_MODE_UNKNOWN:
        fprintf(m_errors, "%s\n%s", m_commandLine.getError().c_str(), CCommandLine::C_USAGE);
        status = C_STATUS_USAGE;
        return true;
    default:
        return false;
    }
}

int CKeyscoutProgram::run(const TDialog& dialog)
{
    int status = C_STATUS_FAILURE;
    // The engine's throws have written their crash report and log line;
    // what is left is to say it and end with a failure, never an abort.
    try
    {
        status = _runApplication(dialog);
    }
    catch (const CException& exception)
    {
        sayError(exception.getDetails().c_str());
    }
    catch (const std::exception& exception)
    {
        sayError(exception.what());
    }
    return finish(status);
}

int CKeyscoutProgram::_runApplication(const TDialog& dialog)
{
    CStartupTrace::mark("kernel");
    IKernel::install();
    CStartupTrace::mark("kernel-installed");
    IInput::install();
    IRenderer::install();
    CStartupTrace::mark("modules");
    int status = C_STATUS_FAILURE;
    {
        // Outlives the modules: its destructor only releases what it holds.
        CKeyscout application;
        CStartupTrace::mark("application");
        if (m_onEngineReady)
            m_onEngineReady();
        try
        {
            status = m_commandLine.getMode() == CCommandLine::C_MODE_ONCE ? _runOnce(application) : dialog(application);
        }
        catch (...)
        {
            // Its window must go before the renderer's uninstall deletes it.
            application.cancelDetection();
            throw;
        }
        application.cancelDetection();
        IRenderer::uninstall();
        IInput::uninstall();
        IKernel::uninstall();
    }
    return status;
}

namespace {

// The console front end, telling the entry about the window it got.
class COnceFrontEnd : public CConsoleFrontEnd
{
public:
    COnceFrontEnd(FILE* output, CKeyscout& application, const std::function<void(void*)>& onWindow)
        : CConsoleFrontEnd(output), m_application(application), m_onWindow(onWindow)
    {
    }
    void onDetectionStarted() override
    {
        if (m_onWindow && m_application.getWindow())
            m_onWindow(m_application.getWindow()->getHandle());
    }
    // A failure is said on the errors stream, not as an empty result.
    void onDetectionAbandoned() override {}

private:
    CKeyscout& m_application;
    std::function<void(void*)> m_onWindow;
};

} // namespace

int CKeyscoutProgram::_runOnce(CKeyscout& application)
{
    if (!_chooseJoysticks(application))
        return C_STATUS_USAGE;
    COnceFrontEnd console(m_output, application, m_onDetectionWindow);
    CStartupTrace::mark("detection");
    try
    {
        application.detectKeys(console);
    }
    catch (...)
    {
        sayError(application.getLastFailure().c_str());
        return C_STATUS_FAILURE;
    }
    return application.hasResult() ? C_STATUS_SUCCESS : C_STATUS_NOTHING_RECORDED;
}

bool CKeyscoutProgram::_chooseJoysticks(CKeyscout& application)
{
    application.refreshJoysticks();
    const std::vector<uint32_t>& chosen = m_commandLine.getJoysticks();
    uint32_t listed = application.getListedJoystickCount();
    for (uint32_t slot = 0; slot < CKeyscout::C_SLOT_COUNT; ++slot)
    {
        // By default the first two present; named ones must be there.
        uint32_t index = chosen.empty() ? slot : slot < chosen.size() ? chosen[slot] : CKeyscout::C_NO_SELECTION;
        if (!chosen.empty() && index != CKeyscout::C_NO_SELECTION && index >= listed)
        {
            std::string text = "there is no joystick " + std::to_string(index) + " (" + std::to_string(listed) + " listed)";
            sayError(text.c_str());
            return false;
        }
        application.setJoystickSelection(slot, index < listed ? index : CKeyscout::C_NO_SELECTION);
    }
    return true;
}

void CKeyscoutProgram::sayError(const char* text)
{
    fprintf(m_errors, "keyscout: %s\n", CKeyscout::withoutLineEnds(text).c_str());
    fflush(m_errors);
}

int CKeyscoutProgram::finish(int status)
{
    // A full disk or a closed pipe shows only here: printf buffers.
    if (fflush(m_output) == 0 && !ferror(m_output))
        return status;
    // The first failure's reason: later calls may have changed errno.
    int error = CConsoleFrontEnd::getFirstWriteError() ? CConsoleFrontEnd::getFirstWriteError() : errno;
    fprintf(m_errors, "keyscout: the output could not be written: %s\n", strerror(error));
    fflush(m_errors);
    return C_STATUS_FAILURE;
}
