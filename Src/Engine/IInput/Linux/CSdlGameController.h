#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IKernel/Types/CString.h"

#include <SDL_gamecontroller.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A device SDL knows as a game controller, laid out as the XInput joystick so
// that a pad shows the same names on every system: 15 buttons, 6 axes (left
// stick, right stick, triggers) and the pad as arrow 0. The window's focus
// does not matter to it.
class CSdlGameController : public CJoystick
{
public:
    static constexpr uint32_t C_CONTROLLER_BUTTONS = 15;
    static constexpr uint32_t C_CONTROLLER_AXES = 6;

    // One controller state before the dead zones and ranges.
    struct SReading
    {
        bool buttons[C_CONTROLLER_BUTTONS];
        float rawAxes[C_CONTROLLER_AXES];
        float arrow;
    };

    // Takes over the opened controller; id finds the device again once it has
    // been unplugged and plugged back in.
    CSdlGameController(void* window, uint32_t foregroundOnly, SDL_GameController* controller, const CString& id);
    ~CSdlGameController() override;

    void update(float dt) override;
    // Stores both strengths and, while the controller answers, rumbles.
    void setVibration(float left, float right) override;

    static SReading read(SDL_GameController* controller);

private:
    bool _attached();
    void _rumble();

    SDL_GameController* m_controller;
    CString m_id;
};

} // namespace Engine
} // namespace Tavrin
