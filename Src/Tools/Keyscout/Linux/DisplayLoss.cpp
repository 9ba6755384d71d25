#include "Tools/Keyscout/Linux/DisplayLoss.h"

#include "Engine/IKernel/CLog.h"
#include "Tools/Keyscout/CKeyscoutProgram.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <unistd.h>

namespace {

// Xlib ends the process if the handler returns; there is no way back.
int onDisplayLost(Display* display)
{
    const char* name = display ? DisplayString(display) : "";
    Tavrin::Engine::logLevel(3, "Error: the connection to the display %s was lost\n", name);
    fprintf(stderr, "keyscout: the connection to the display %s was lost\n", name);
    fflush(stderr);
    _exit(CKeyscoutProgram::C_STATUS_FAILURE);
}

} // namespace

bool canOpenX11Display()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

void watchDisplayLoss()
{
    // One handler for every connection of the process: GDK's and SDL's
    // install theirs when they open the display, so this comes after both.
    XSetIOErrorHandler(onDisplayLost);
}
