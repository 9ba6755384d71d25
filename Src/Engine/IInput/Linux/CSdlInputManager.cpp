#include "Engine/IInput/Linux/CSdlInputManager.h"

#include "Engine/IInput/Linux/CSdlEventPump.h"
#include "Engine/IInput/Linux/CSdlMouse.h"
#include "Engine/IInput/Linux/SdlJoysticks.h"
#include "Engine/IKernel/CLog.h"

#include <SDL.h>

namespace Tavrin {
namespace Engine {

CSdlInputManager::CSdlInputManager()
    : m_joysticks(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER, "Warning: SDL joysticks are not available; none will be read\n"),
      m_video(SDL_INIT_VIDEO, "Warning: SDL input is not available; no mouse or joystick will be read\n")
{
}

bool CSdlInputManager::_startVideo()
{
    if (m_video.isStarted())
        return true;
    if (!m_video.acquire())
        return false;
    SDL_version version;
    SDL_GetVersion(&version);
    log("SDL %d.%d.%d input, video driver %s\n", version.major, version.minor, version.patch,
        SDL_GetCurrentVideoDriver());
    return true;
}

CSdlInputManager::~CSdlInputManager()
{
    // The base part would delete the devices still registered after SDL has
    // shut down and freed the joysticks they hold.
    releaseAll();
    _deleteRemaining();
}

void CSdlInputManager::update(float dt)
{
    CSdlEventPump::get().beginPass();
    CInputManager::update(dt);
    CSdlEventPump::get().dropJoystickEvents();
}

void CSdlInputManager::enumerateJoysticks(CArray<SJoystickDescriptor>& out)
{
    if (m_joysticks.acquire())
        enumerateSdlJoysticks(out);
}

CManagedPtr<CJoystick> CSdlInputManager::createJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly)
{
    if (!m_joysticks.acquire())
        return CManagedPtr<CJoystick>();
    CJoystick* joystick = createSdlJoystick(window, descriptor, foregroundOnly);
    if (!joystick)
        return CManagedPtr<CJoystick>();
    _attach(joystick);
    return CManagedPtr<CJoystick>::adopt(joystick);
}

CManagedPtr<CMouse> CSdlInputManager::createMouse(void* window, uint32_t foregroundOnly)
{
    if (!_startVideo())
        return CManagedPtr<CMouse>();
    CSdlMouse* mouse = new CSdlMouse(window, foregroundOnly);
    _attach(mouse);
    return CManagedPtr<CMouse>::adopt(mouse);
}

} // namespace Engine
} // namespace Tavrin
