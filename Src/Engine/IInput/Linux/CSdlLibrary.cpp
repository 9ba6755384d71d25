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
