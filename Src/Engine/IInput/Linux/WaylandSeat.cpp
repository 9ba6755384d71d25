#include "Engine/IInput/Linux/WaylandSeat.h"

#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace Tavrin {
namespace Engine {

namespace {

// A compositor answers at once; one that accepted and then says nothing (hung,
// stopped in a debugger, not a compositor at all) must not hold the start.
const int C_ANSWER_MILLISECONDS = 500;

void onGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    if (strcmp(interface, wl_seat_interface.name) == 0)
        *static_cast<bool*>(data) = true;
}

void onGlobalRemove(void*, wl_registry*, uint32_t)
{
}

const wl_registry_listener C_REGISTRY_LISTENER = {onGlobal, onGlobalRemove};

void onDone(void* data, wl_callback*, uint32_t)
{
    *static_cast<bool*>(data) = true;
}

const wl_callback_listener C_DONE_LISTENER = {onDone};

// libwayland-client finds a socket given by name in XDG_RUNTIME_DIR, and
// complains on standard error when that is not set: no compositor then.
bool mayConnect()
{
    const char* socket = getenv("WAYLAND_SOCKET");
    const char* name = getenv("WAYLAND_DISPLAY");
    const char* folder = getenv("XDG_RUNTIME_DIR");
    return (socket && *socket) || (name && name[0] == '/') || (folder && *folder);
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads what the compositor sent within the time left; false when nothing
// came in time or the connection failed.
bool readAnswer(wl_display* display, std::chrono::steady_clock::time_point deadline)
{
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    int ready = -1;
    if (wl_display_flush(display) >= 0 || errno == EAGAIN)
    {
        pollfd socket = {wl_display_get_fd(display), POLLIN, 0};
        do
            ready = poll(&socket, 1, millisecondsUntil(deadline));
        while (ready < 0 && errno == EINTR);
    }
    if (ready <= 0)
    {
        wl_display_cancel_read(display);
        return false;
    }
    return wl_display_read_events(display) == 0 && wl_display_dispatch_pending(display) >= 0;
}

// wl_display_roundtrip with a time limit: the compositor announces every
// global it has before it answers the sync that follows the registry.
bool roundtripWithin(wl_display* display, int milliseconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &C_DONE_LISTENER, &done);
    while (!done && readAnswer(display, deadline))
    {
    }
    wl_callback_destroy(callback);
    return done;
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
    if (!roundtripWithin(display, C_ANSWER_MILLISECONDS))
        seat = false;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return seat;
}

} // namespace Engine
} // namespace Tavrin
