#include "Tools/Keyscout/CKeyscoutProgram.h"
#include "Tools/Keyscout/CStartupTrace.h"
#include "Tools/Keyscout/Linux/DialogEntries.h"
#include "Tools/Keyscout/Linux/Dialog/CKeyscoutWindow.h"
#include "Tools/Keyscout/Linux/WindowIdentity.h"

#include <gtk/gtk.h>

namespace {

bool openDisplay(bool x11Only)
{
    g_set_prgname(C_PROGRAM_INSTANCE);
    gdk_set_program_class(C_PROGRAM_CLASS);
    // Nothing here draws with OpenGL: without this, the first GTK program of
    // an X session probes it for its visuals and maps a software OpenGL stack
    // (about 50 MB). A user's own GDK_GL setting stays.
    g_setenv("GDK_GL", "disable", FALSE);
    if (x11Only)
        gdk_set_allowed_backends("x11");
    return gtk_init_check(nullptr, nullptr);
}

void prepare()
{
    // The pixels live as long as the program: nothing to free.
    GdkPixbuf* icon = gdk_pixbuf_new_from_data(getProgramIconPixels(), GDK_COLORSPACE_RGB, TRUE, 8, C_PROGRAM_ICON_SIZE,
                                               C_PROGRAM_ICON_SIZE, 4 * C_PROGRAM_ICON_SIZE, nullptr, nullptr);
    gtk_window_set_default_icon(icon);
    g_object_unref(icon);
    CStartupTrace::mark("icon");
    // The font map starts fontconfig's set-up (configuration and caches,
    // tens of ms) in a thread of its own: begun here it overlaps the
    // modules' install.
    pango_cairo_font_map_get_default();
}

int run(CKeyscout& application)
{
    CKeyscoutWindow window(application);
    CStartupTrace::mark("dialog-built");
    window.run();
    return CKeyscoutProgram::C_STATUS_SUCCESS;
}

const SDialogEntries s_entries = {openDisplay, prepare, run};

} // namespace

extern "C" __attribute__((visibility("default"))) const SDialogEntries* keyscoutDialogEntries()
{
    return &s_entries;
}
