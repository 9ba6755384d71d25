#include "Engine/IInput/Linux/CSdlLibrary.h"

#include "Engine/IKernel/CLog.h"

#include <SDL.h>

namespace Tavrin {
namespace Engine {

const uint32_t CSdlLibrary::C_INPUT_SUBSYSTEMS = SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;

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

} // namespace

CSdlLibrary::CSdlLibrary(uint32_t subsystems) : m_subsystems(subsystems), m_ready(false)
{
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        setHints();
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
