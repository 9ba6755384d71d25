#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/CKeyscoutProgram.h"
#include "Tools/Keyscout/Windows/CKeyscoutDialog.h"
#include "Tools/Keyscout/Windows/ConsoleStreams.h"
#include "Tools/Keyscout/Windows/DisplayCheck.h"
#include "Tools/Keyscout/Windows/KeyscoutResources.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

using namespace Tavrin::Engine;

namespace {

HINSTANCE s_instance = nullptr;

int runDialog(CKeyscoutProgram& program, CKeyscout& application)
{
    INT_PTR ended = DialogBoxParamA(s_instance, MAKEINTRESOURCEA(IDD_KEYSCOUT), nullptr, CKeyscoutDialog::dialogProcedure,
                                    reinterpret_cast<LPARAM>(&application));
    if (ended != -1)
        return CKeyscoutProgram::C_STATUS_SUCCESS;
    int32_t code = CSystemServices::getLastError();
    logLevel(3, "Error: the dialog could not open\n");
    char* reason = CSystemServices::getErrorText(code);
    program.sayError((CString("The dialog could not open: ") + (reason ? reason : "unknown error")).c_str());
    CSystemServices::freeErrorText(reason);
    return CKeyscoutProgram::C_STATUS_FAILURE;
}

// --verbose: the debugger's output keeps its copy; the console gets one too.
void copyToStandardError(const char* text)
{
    fputs(text, stderr);
}

} // namespace

// The same options, output and statuses as on Linux when started from a
// console; from Explorer, the dialog as always.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/)
{
    attachParentConsole();
    s_instance = instance;
    FILE* output = writableOrNul(stdout);
    CKeyscoutDialog::setResultStream(output);
    CKeyscoutProgram program(__argc, __argv, output, stderr);
    int status = 0;
    if (program.answerAtOnce(status))
        return status;
    // Before any module: without a display there is nothing to report.
    if (!canCreateWindows())
    {
        fputs("Keyscout needs a graphical display, and none could be opened: this session cannot create windows "
              "(under Wine: check DISPLAY).\n",
              stderr);
        return CKeyscoutProgram::C_STATUS_USAGE;
    }
    // From the log's first line, as the Linux program's mirror.
    if (program.getCommandLine().isVerbose())
        IKernel::setLogListener(copyToStandardError);
    return program.run([&program](CKeyscout& application) { return runDialog(program, application); });
}
