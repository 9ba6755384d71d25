#include "Engine/IInput/Linux/WaylandSeat.h"

#include <wayland-client.h>

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

} // namespace

bool waylandHasSeat()
{
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
