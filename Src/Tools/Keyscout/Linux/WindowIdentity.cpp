#include "Tools/Keyscout/Linux/WindowIdentity.h"

#include "Engine/IKernel/CLog.h"
#include "KeyscoutIcon.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>
#include <gtk/gtk.h>

#include <cstdlib>

namespace {

const char* const C_INSTANCE = "keyscout";
const char* const C_CLASS = "Keyscout";

GdkPixbuf* loadIcon()
{
    static GdkPixbuf* s_icon = nullptr;
    if (s_icon)
        return s_icon;
    GError* error = nullptr;
    // PNG is built into gdk-pixbuf: no loader module is looked for.
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", &error);
    if (loader)
    {
        bool written = gdk_pixbuf_loader_write(loader, C_KEYSCOUT_ICON_PNG, sizeof(C_KEYSCOUT_ICON_PNG), &error);
        // Closed in any case: a loader finalized open complains.
        bool closed = gdk_pixbuf_loader_close(loader, written ? &error : nullptr);
        if (written && closed)
            s_icon = GDK_PIXBUF(g_object_ref(gdk_pixbuf_loader_get_pixbuf(loader)));
        g_object_unref(loader);
    }
    // Without it the windows simply go without.
    if (error)
    {
        Tavrin::Engine::logLevel(2, "Warning: the program's icon could not be loaded: %s\n", error->message);
        g_error_free(error);
    }
    return s_icon;
}

void setSdlIcon(SDL_Window* window)
{
    GdkPixbuf* icon = loadIcon();
    if (!icon || gdk_pixbuf_get_n_channels(icon) != 4)
        return;
    // NOTE: GdkPixbuf keeps R, G, B, A bytes in memory order, which SDL
    // calls ABGR8888 on a little-endian machine.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        gdk_pixbuf_get_pixels(icon), gdk_pixbuf_get_width(icon), gdk_pixbuf_get_height(icon), 32,
        gdk_pixbuf_get_rowstride(icon), SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

void setX11Class(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    // SDL names both parts alike; a desktop matches the class.
    XClassHint hint;
    hint.res_name = const_cast<char*>(C_INSTANCE);
    hint.res_class = const_cast<char*>(C_CLASS);
    XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
    XFlush(info.info.x11.display);
}

} // namespace

void setProgramIdentity()
{
    g_set_prgname(C_INSTANCE);
    gdk_set_program_class(C_CLASS);
    // The Wayland application id of SDL's window (read when SDL starts).
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", C_INSTANCE, 0);
}

void setDefaultWindowIcon()
{
    if (GdkPixbuf* icon = loadIcon())
        gtk_window_set_default_icon(icon);
}

void markDetectionWindow(void* sdlWindow)
{
    if (!sdlWindow)
        return;
    SDL_Window* window = static_cast<SDL_Window*>(sdlWindow);
    setSdlIcon(window);
    setX11Class(window);
}
