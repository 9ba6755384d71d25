#include "Engine/IKernel/CLog.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/CKeyscoutProgram.h"
#include "Tools/Keyscout/Windows/CKeyscoutDialog.h"
#include "Tools/Keyscout/Windows/ConsoleStreams.h"
#include "Tools/Keyscout/Windows/KeyscoutResources.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

using namespace Tavrin::Engine;

namespace {

HINSTANCE s_instance = nullptr;

int runDialog(CKeyscout& application)
{
    DialogBoxParamA(s_instance, MAKEINTRESOURCEA(IDD_KEYSCOUT), nullptr, CKeyscoutDialog::dialogProcedure,
                    reinterpret_cast<LPARAM>(&application));
    return CKeyscoutProgram::C_STATUS_SUCCESS;
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
    CKeyscoutProgram program(__argc, __argv, stdout, stderr);
    int status = 0;
    if (program.answerAtOnce(status))
        return status;
    if (program.getCommandLine().isVerbose())
        program.setEngineReadyHook([] { getLog()->addListener(copyToStandardError); });
    return program.run(runDialog);
}
