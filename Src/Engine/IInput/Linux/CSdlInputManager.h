#pragma once

#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/Linux/CSdlOnDemand.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The input manager of the SDL platform layer: joysticks and game
// controllers as SDL lists them, the mouse from SDL's events. Keys and mouse
// buttons reach the mapper through the engine window, as on Windows.
class CSdlInputManager : public CInputManager
{
public:
    // Starts nothing yet: the joystick and game-controller subsystems start
    // with the first look at the joysticks, the video with the first mouse.
    CSdlInputManager();
    ~CSdlInputManager() override;

    // Reads SDL's events once for this pass (the mouse's motion and wheel,
    // the windows' events for their next pump), polls every device, then
    // drops the joystick events their reads queued.
    void update(float dt) override;
    void enumerateJoysticks(CArray<SJoystickDescriptor>& out) override;
    CManagedPtr<CJoystick> createJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly) override;
    // window is the engine window's SDL_Window.
    CManagedPtr<CMouse> createMouse(void* window, uint32_t foregroundOnly) override;

    // False once a part of SDL could not start: the manager then lists and
    // opens nothing of that part.
    bool isReady() const { return m_joysticks.isUsable() && m_video.isUsable(); }

private:
    bool _startVideo();

    CSdlOnDemand m_joysticks;
    CSdlOnDemand m_video;
};

} // namespace Engine
} // namespace Tavrin
