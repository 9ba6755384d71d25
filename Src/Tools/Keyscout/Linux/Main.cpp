#include "Engine/IInput/Linux/CSdlLibrary.h"
#include "Engine/IKernel/IKernel.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/CKeyscoutProgram.h"
#include "Tools/Keyscout/CStartupTrace.h"
#include "Tools/Keyscout/Linux/CKeyscoutWindow.h"
#include "Tools/Keyscout/Linux/DisplayLoss.h"
#include "Tools/Keyscout/Linux/ReportFolder.h"
#include "Tools/Keyscout/Linux/WindowIdentity.h"

#include <gtk/gtk.h>

#include <csignal>
#include <cstdio>

namespace {

int runDialog(CKeyscout& application)
{
    CKeyscoutWindow window(application);
    CStartupTrace::mark("dialog-built");
    window.run();
    return CKeyscoutProgram::C_STATUS_SUCCESS;
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
    // Nothing here draws with OpenGL: without this, the first GTK program of
    // an X session probes it for its visuals and maps a software OpenGL stack
    // (about 50 MB). A user's own GDK_GL setting stays.
    g_setenv("GDK_GL", "disable", FALSE);
    // Before any module: without a display there is nothing to report.
    // --once shows no GTK window: an X display that opens is checked in a
    // few ms, without GDK's set-up (GDK alone tells of a Wayland-only one).
    // The dialog goes where SDL's windows can go.
    bool videoUsable = Tavrin::Engine::CSdlLibrary::chooseVideoDriver();
    if (Tavrin::Engine::CSdlLibrary::isWaylandRefused())
        gdk_set_allowed_backends("x11");
    bool once = program.getCommandLine().getMode() == CCommandLine::C_MODE_ONCE;
    bool displayOpens =
        videoUsable && (once ? canOpenX11Display() || gdk_init_check(nullptr, nullptr) : gtk_init_check(nullptr, nullptr));
    if (!videoUsable || !displayOpens)
    {
        fputs("Keyscout needs a graphical display (X11 or Wayland), and none could be opened: check DISPLAY or WAYLAND_DISPLAY.\n", stderr);
        return CKeyscoutProgram::C_STATUS_USAGE;
    }
    CStartupTrace::mark("display");
    if (!once)
    {
        setDefaultWindowIcon();
        CStartupTrace::mark("icon");
        // The font map starts fontconfig's set-up (configuration and caches,
        // tens of ms) in a thread of its own: begun here it overlaps the
        // modules' install.
        pango_cairo_font_map_get_default();
    }
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
    return program.run(runDialog);
}
