#include "Engine/IInput/Linux/CSdlGameController.h"

#include "Engine/IInput/Linux/SdlJoystickSupport.h"
#include "Engine/IKernel/CLog.h"

#include <SDL.h>

namespace Tavrin {
namespace Engine {

namespace {

// SDL's buttons in the XInput joystick's order; the XInput pad has no
// button 10.
const SDL_GameControllerButton C_BUTTONS[CSdlGameController::C_CONTROLLER_BUTTONS] = {
    SDL_CONTROLLER_BUTTON_A,          SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,          SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,       SDL_CONTROLLER_BUTTON_START,      SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_INVALID,    SDL_CONTROLLER_BUTTON_DPAD_UP,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_DOWN,  SDL_CONTROLLER_BUTTON_DPAD_LEFT,
};

// NOTE: SDL's vertical stick axes already read up as negative, as the
// joystick wants; XInput's had to be negated.
const SDL_GameControllerAxis C_AXES[CSdlGameController::C_CONTROLLER_AXES] = {
    SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,       SDL_CONTROLLER_AXIS_RIGHTX,
    SDL_CONTROLLER_AXIS_RIGHTY, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
};

// SDL keeps a rumble for about a minute at most; XInput's motors run until
// told otherwise, so every poll renews it (SDL then only moves the deadline).
const Uint32 C_RUMBLE_MS = 0xFFFFFFFFu;

bool pressed(SDL_GameController* controller, SDL_GameControllerButton button)
{
    return button != SDL_CONTROLLER_BUTTON_INVALID && SDL_GameControllerGetButton(controller, button) != 0;
}

} // namespace

CSdlGameController::CSdlGameController(void* window, uint32_t foregroundOnly, SDL_GameController* controller,
                                       const CString& id)
    : CJoystick(window, foregroundOnly), m_controller(controller), m_id(id)
{
    m_active = true;
    for (uint32_t i = 0; i < C_CONTROLLER_AXES; ++i)
        m_axisPresent[i] = true;
    m_arrowPresent[0] = true;
}

CSdlGameController::~CSdlGameController()
{
    if (m_controller)
        SDL_GameControllerClose(m_controller);
}

void CSdlGameController::update(float)
{
    SDL_GameControllerUpdate();
    if (!_attached())
    {
        resetState();
        m_active = false;
        return;
    }
    m_active = true;
    SReading reading = read(m_controller);
    _setPadState(reading.buttons, C_CONTROLLER_BUTTONS, reading.rawAxes, C_CONTROLLER_AXES, reading.arrow);
    if (m_vibrationLeft > 0.0f || m_vibrationRight > 0.0f)
        _rumble();
}

void CSdlGameController::setVibration(float left, float right)
{
    CJoystick::setVibration(left, right);
    if (m_active)
        _rumble();
}

void CSdlGameController::_rumble()
{
    // Not every controller has motors; like XInput's, the answer is not looked at.
    SDL_GameControllerRumble(m_controller, static_cast<Uint16>(m_vibrationLeft * 65535.0f),
                             static_cast<Uint16>(m_vibrationRight * 65535.0f), C_RUMBLE_MS);
}

// An unplugged controller is closed; the same device plugged in again is
// opened in its place.
bool CSdlGameController::_attached()
{
    if (m_controller && SDL_GameControllerGetAttached(m_controller))
        return true;
    if (m_controller)
    {
        log("SDL game controller %s unplugged\n", m_id.c_str());
        SDL_GameControllerClose(m_controller);
        m_controller = nullptr;
    }
    int index = findReopenableSdlJoystick(m_id);
    if (index < 0)
        return false;
    m_controller = SDL_GameControllerOpen(index);
    if (!m_controller)
        return false;
    log("SDL game controller %s plugged in again\n", m_id.c_str());
    return true;
}

CSdlGameController::SReading CSdlGameController::read(SDL_GameController* controller)
{
    SReading reading;
    for (uint32_t i = 0; i < C_CONTROLLER_BUTTONS; ++i)
        reading.buttons[i] = pressed(controller, C_BUTTONS[i]);
    for (uint32_t i = 0; i < C_CONTROLLER_AXES; ++i)
    {
        // Triggers read 0 to 32767 and so stay within 0 to 1.
        reading.rawAxes[i] = scaleSdlAxis(SDL_GameControllerGetAxis(controller, C_AXES[i]));
    }
    uint32_t bits = (reading.buttons[11] ? 1u : 0u) | (reading.buttons[12] ? 2u : 0u) | (reading.buttons[13] ? 4u : 0u) |
                    (reading.buttons[14] ? 8u : 0u);
    reading.arrow = directionArrow(bits);
    return reading;
}

} // namespace Engine
} // namespace Tavrin
