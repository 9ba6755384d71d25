#pragma once

#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/Linux/CSdlLibrary.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The input manager of the SDL platform layer: joysticks and game
// controllers as SDL lists them, the mouse from SDL's events. Keys and mouse
// buttons reach the mapper through the engine window, as on Windows.
class CSdlInputManager : public CInputManager
{
public:
    // Starts SDL's video, joystick and game-controller subsystems.
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

    // False when SDL could not start: the manager then lists and opens nothing.
    bool isReady() const { return m_library.isReady(); }

private:
    CSdlLibrary m_library;
};

} // namespace Engine
} // namespace Tavrin
