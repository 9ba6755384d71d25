#include "Engine/IInput/IInput.h"
#include "Engine/IInput/Linux/CSdlLibrary.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IRenderer/IRenderer.h"
#include "KeyscoutVersion.h"
#include "Tools/Keyscout/CCommandLine.h"
#include "Tools/Keyscout/CConsoleFrontEnd.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/Linux/CKeyscoutWindow.h"
#include "Tools/Keyscout/Linux/ReportFolder.h"

#include <gtk/gtk.h>

#include <cstdio>

using namespace Tavrin::Engine;

namespace {

const int C_EXIT_NO_INPUT = 1;
const int C_EXIT_USAGE = 2;

int runDialog(CKeyscout& application)
{
    CKeyscoutWindow window(application);
    window.run();
    return 0;
}

int runOnce(CKeyscout& application)
{
    CConsoleFrontEnd console;
    return application.detectKeys(console).isEmpty() ? C_EXIT_NO_INPUT : 0;
}

} // namespace

// Nothing is caught here: an engine exception has written its crash report
// and log line before it leaves, and the runtime ends the process.
int main(int argumentCount, char** arguments)
{
    CCommandLine commandLine(argumentCount, arguments);
    switch (commandLine.getMode())
    {
    case CCommandLine::C_MODE_HELP:
        fputs(CCommandLine::C_USAGE, stdout);
        return 0;
    case CCommandLine::C_MODE_VERSION:
        printf("keyscout %s\n", KEYSCOUT_VERSION_TEXT);
        return 0;
    case CCommandLine::C_MODE_UNKNOWN:
        fprintf(stderr, "%s\n%s", commandLine.getError().c_str(), CCommandLine::C_USAGE);
        return C_EXIT_USAGE;
    default:
        break;
    }
    // Before any module: without a display there is nothing to report. The
    // dialog goes where SDL's windows can go.
    bool videoUsable = CSdlLibrary::chooseVideoDriver();
    if (CSdlLibrary::isWaylandRefused())
        gdk_set_allowed_backends("x11");
    if (!videoUsable || !gtk_init_check(nullptr, nullptr))
    {
        fputs("Keyscout needs a graphical display (X11 or Wayland), and none could be opened: check DISPLAY or WAYLAND_DISPLAY.\n", stderr);
        return C_EXIT_USAGE;
    }
    chooseReportFolder();

    IKernel::install();
    IInput::install();
    IRenderer::install();
    int status = 0;
    {
        // Outlives the modules: its destructor only releases what it holds.
        CKeyscout application;
        status = commandLine.getMode() == CCommandLine::C_MODE_ONCE ? runOnce(application) : runDialog(application);
        // Its window must go before the renderer's uninstall deletes it.
        application.cancelDetection();
        IRenderer::uninstall();
        IInput::uninstall();
        IKernel::uninstall();
    }
    return status;
}
