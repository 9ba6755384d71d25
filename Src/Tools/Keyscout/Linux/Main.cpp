#include "Engine/IInput/Linux/CSdlLibrary.h"
#include "Engine/IKernel/IKernel.h"
#include "Tools/Keyscout/CKeyscoutProgram.h"
#include "Tools/Keyscout/CStartupTrace.h"
#include "Tools/Keyscout/Linux/CDialogLibrary.h"
#include "Tools/Keyscout/Linux/DisplayLoss.h"
#include "Tools/Keyscout/Linux/ReportFolder.h"
#include "Tools/Keyscout/Linux/WindowIdentity.h"

#include <csignal>
#include <cstdio>

using Tavrin::Engine::CSdlLibrary;

namespace {

// --once shows no GTK window: a display that opens is checked in a few ms,
// without GTK (SDL's choice already found any usable Wayland seat).
bool onceDisplayOpens()
{
    return canOpenX11Display() || CSdlLibrary::hasWaylandSeat();
}

} // namespace

// The standard streams were opened, if closed, before anything else ran
// (StandardStreams.cpp).
int main(int argumentCount, char** arguments)
{
    // A reader that went away (keyscout --once | true) is a result that could
    // not be written, status 3, not a silent death by SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    CStartupTrace::mark("main");
    CKeyscoutProgram program(argumentCount, arguments, stdout, stderr);
    int status = 0;
    if (program.answerAtOnce(status))
        return status;
    setProgramIdentity();
    bool once = program.getCommandLine().getMode() == CCommandLine::C_MODE_ONCE;
    CDialogLibrary dialog;
    if (!once)
    {
        if (!dialog.load())
        {
            fprintf(stderr, "Keyscout's dialog could not be loaded: %s.\n", dialog.getError().c_str());
            return CKeyscoutProgram::C_STATUS_FAILURE;
        }
        CStartupTrace::mark("dialog-library");
    }
    // Before any module: without a display there is nothing to report.
    // The dialog goes where SDL's windows can go.
    bool videoUsable = CSdlLibrary::chooseVideoDriver();
    bool displayOpens =
        videoUsable && (once ? onceDisplayOpens() : dialog.getEntries().openDisplay(CSdlLibrary::isWaylandRefused()));
    if (!displayOpens)
    {
        fputs("Keyscout needs a graphical display (X11 or Wayland), and none could be opened: check DISPLAY or WAYLAND_DISPLAY.\n", stderr);
        return CKeyscoutProgram::C_STATUS_USAGE;
    }
    CStartupTrace::mark("display");
    if (!once)
        dialog.getEntries().prepare();
    chooseReportFolder();
    // The log's copy on standard error (the debugger's output here).
    Tavrin::Engine::IKernel::setLogMirror(program.getCommandLine().isVerbose());
    // SDL opens its own display connection with the input manager.
    program.setEngineReadyHook(watchDisplayLoss);
    program.setDetectionWindowHook([](void* window) {
        markDetectionWindow(window);
        Tavrin::Engine::IKernel::startDeferredBenchmark();
    });
    // Started once the first window is up (above, and by the dialog).
    Tavrin::Engine::IKernel::setBenchmarkDeferred(true);
    return program.run([&dialog](CKeyscout& application) { return dialog.getEntries().run(application); });
}
