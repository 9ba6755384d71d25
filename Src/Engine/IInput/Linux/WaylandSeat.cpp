#include "Engine/IInput/Linux/WaylandSeat.h"

#include <wayland-client.h>

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

void onGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    if (strcmp(interface, wl_seat_interface.name) == 0)
        *static_cast<bool*>(data) = true;
}

void onGlobalRemove(void*, wl_registry*, uint32_t)
{
}

const wl_registry_listener C_REGISTRY_LISTENER = {onGlobal, onGlobalRemove};

// libwayland-client finds a socket given by name in XDG_RUNTIME_DIR, and
// complains on standard error when that is not set: no compositor then.
bool mayConnect()
{
    const char* socket = getenv("WAYLAND_SOCKET");
    const char* name = getenv("WAYLAND_DISPLAY");
    const char* folder = getenv("XDG_RUNTIME_DIR");
    return (socket && *socket) || (name && name[0] == '/') || (folder && *folder);
}

} // namespace

bool waylandHasSeat()
{
    if (!mayConnect())
        return false;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    bool seat = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &C_REGISTRY_LISTENER, &seat);
    // One round trip: the compositor announces every global it has at once.
    if (wl_display_roundtrip(display) < 0)
        seat = false;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return seat;
}

} // namespace Engine
} // namespace Tavrin
