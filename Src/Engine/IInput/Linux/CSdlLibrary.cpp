#include "Engine/IInput/Linux/CSdlLibrary.h"

#include "Engine/IInput/Linux/WaylandSeat.h"
#include "Engine/IKernel/CLog.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <strings.h>
#include <vector>

namespace Tavrin {
namespace Engine {

namespace {

// Hints are read when a subsystem starts and cleared by SDL_Quit.
void setHints()
{
    // Ctrl+C and SIGTERM end the program as usual instead of becoming an
    // SDL_QUIT event that nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Devices decide for themselves whether they read in the background
    // (foregroundOnly); SDL would otherwise freeze joysticks without focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // A small tool window must not switch the desktop's compositor off.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // A tool left open must never keep the screen saver and the session lock
    // away (SDL would, and would tell the desktop it is "Playing a game").
    SDL_SetHintWithPriority(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1", SDL_HINT_OVERRIDE);
    SDL_SetHint(SDL_HINT_APP_NAME, "Keyscout");
    SDL_SetHint(SDL_HINT_SCREENSAVER_INHIBIT_ACTIVITY_NAME, "Keyscout");
}

// In case video was started before our hints, by someone else's SDL user.
void allowScreenSaver(uint32_t subsystems)
{
    if ((subsystems & SDL_INIT_VIDEO) != 0 && !SDL_IsScreenSaverEnabled())
        SDL_EnableScreenSaver();
}

// The last video choice: the drivers SDL is held to (empty: its own order).
std::string s_videoDrivers;
bool s_waylandRefused = false;
bool s_waylandSeat = false;

// SDL takes an entry of its list for the first driver whose name it begins.
bool namesWayland(const std::string& entry)
{
    return !entry.empty() && entry.size() <= 7 && strncasecmp("wayland", entry.c_str(), entry.size()) == 0;
}

// The entries of a driver list as SDL splits it.
std::vector<std::string> driverEntries(const std::string& list)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= list.size())
    {
        size_t end = std::min(list.find(',', start), list.size());
        if (end > start)
            entries.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

bool mayTryWayland(const std::string& requested)
{
    std::vector<std::string> entries = driverEntries(requested);
    return entries.empty() || std::any_of(entries.begin(), entries.end(), namesWayland);
}

// Read when the video subsystem starts; SDL_Quit forgets it, so every start
// sets it again. An override, since SDL_VIDEODRIVER itself may be what it
// narrows.
bool prepareVideo()
{
    if (!CSdlLibrary::chooseVideoDriver())
        return false;
    if (s_videoDrivers.empty())
    {
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
        return true;
    }
    log("SDL video held to '%s': no Wayland compositor with a seat\n", s_videoDrivers.c_str());
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, s_videoDrivers.c_str(), SDL_HINT_OVERRIDE);
    return true;
}

} // namespace

bool CSdlLibrary::chooseVideoDriver()
{
    const char* requested = getenv("SDL_VIDEODRIVER");
    const char* display = getenv("DISPLAY");
    std::string list = requested ? requested : "";
    bool checked = mayTryWayland(list);
    bool seat = checked && waylandHasSeat();
    s_waylandRefused = checked && !seat;
    s_waylandSeat = seat;
    return safeVideoDrivers(list, display && *display, seat, s_videoDrivers);
}

bool CSdlLibrary::isWaylandRefused()
{
    return s_waylandRefused;
}

bool CSdlLibrary::hasWaylandSeat()
{
    return s_waylandSeat;
}

bool CSdlLibrary::safeVideoDrivers(const std::string& requested, bool x11Display, bool waylandSeat,
                                   std::string& drivers)
{
    drivers.clear();
    if (driverEntries(requested).empty())
    {
        // SDL 2 tries X11 first, then Wayland.
        if (waylandSeat)
            return true;
        drivers = "x11";
        return x11Display;
    }
    std::string kept;
    bool dropped = false;
    for (const std::string& entry : driverEntries(requested))
    {
        if (!waylandSeat && namesWayland(entry))
            dropped = true;
        else
            kept += (kept.empty() ? "" : ",") + entry;
    }
    if (dropped)
        drivers = kept;
    return !kept.empty();
}

CSdlLibrary::CSdlLibrary(uint32_t subsystems) : m_subsystems(subsystems), m_ready(false)
{
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        setHints();
    if ((subsystems & SDL_INIT_VIDEO) && !SDL_WasInit(SDL_INIT_VIDEO) && !prepareVideo())
    {
        logLevel(2, "Warning: SDL video not started: no display it can use (a Wayland compositor needs a seat)\n");
        return;
    }
    if (SDL_InitSubSystem(subsystems) != 0)
    {
        logLevel(2, "Warning: SDL could not start (subsystems 0x%X): %s\n", subsystems, SDL_GetError());
        return;
    }
    allowScreenSaver(subsystems);
    m_ready = true;
}

CSdlLibrary::~CSdlLibrary()
{
    if (!m_ready)
        return;
    SDL_QuitSubSystem(m_subsystems);
    // SDL keeps threads, hints and its event queue until SDL_Quit; only
    // the last user, ours or anyone's, may call it.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
}

} // namespace Engine
} // namespace Tavrin
