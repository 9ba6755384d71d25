#include "Engine/IInput/Linux/CSdlJoystick.h"

#include "Engine/IInput/Linux/SdlJoystickSupport.h"
#include "Engine/IKernel/CLog.h"

#include <SDL.h>

namespace Tavrin {
namespace Engine {

namespace {

uint32_t clampCount(int count, uint32_t most)
{
    if (count <= 0)
        return 0;
    return static_cast<uint32_t>(count) < most ? static_cast<uint32_t>(count) : most;
}

} // namespace

CSdlJoystick::CSdlJoystick(void* window, uint32_t foregroundOnly, SDL_Joystick* joystick, const CString& id)
    : CJoystick(window, foregroundOnly), m_joystick(joystick), m_id(id), m_deviceButtons(0)
{
    int axes = SDL_JoystickNumAxes(m_joystick);
    int buttons = SDL_JoystickNumButtons(m_joystick);
    int hats = SDL_JoystickNumHats(m_joystick);
    m_deviceButtons = clampCount(buttons, 0xFFFFu);
    log("Joystick %x caps: %d axes, %d buttons, %d arrows\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)), axes,
        buttons, hats);
    m_axisSlots = placeSdlJoystickAxes(m_joystick);
    for (int32_t slot : m_axisSlots)
        if (slot >= 0)
            m_axisPresent[slot] = true;
    // Further hats have no arrow to show them, as on DirectInput.
    for (uint32_t j = 0; j < clampCount(hats, C_ARROW_COUNT); ++j)
        m_arrowPresent[j] = true;
    m_active = SDL_JoystickGetAttached(m_joystick) == SDL_TRUE;
}

CSdlJoystick::~CSdlJoystick()
{
    if (m_joystick)
        SDL_JoystickClose(m_joystick);
}

bool CSdlJoystick::readsInput(const void* window, uint32_t foregroundOnly, const void* focus)
{
    return !foregroundOnly || !window || focus == window;
}

void CSdlJoystick::update(float)
{
    if (!readsInput(m_window, m_foregroundOnly, SDL_GetKeyboardFocus()))
    {
        m_active = false;
        resetState();
        return;
    }
    SDL_JoystickUpdate();
    if (!_attached())
    {
        m_active = false;
        resetState();
        return;
    }
    uint32_t buttons = clampCount(SDL_JoystickNumButtons(m_joystick), C_BUTTON_COUNT);
    for (uint32_t i = 0; i < C_BUTTON_COUNT; ++i)
        m_buttons[i] = i < buttons && SDL_JoystickGetButton(m_joystick, static_cast<int>(i)) != 0;
    _readAxes();
    _readHats();
    m_active = true;
    calibrateAxes();
}

// An unplugged device is closed; the same device plugged in again is opened
// in its place.
bool CSdlJoystick::_attached()
{
    if (m_joystick && SDL_JoystickGetAttached(m_joystick))
        return true;
    if (m_joystick)
    {
        log("SDL joystick %s unplugged\n", m_id.c_str());
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
    }
    int index = findReopenableSdlJoystick(m_id);
    if (index < 0)
        return false;
    m_joystick = SDL_JoystickOpen(index);
    if (!m_joystick)
        return false;
    log("SDL joystick %s plugged in again\n", m_id.c_str());
    return true;
}

void CSdlJoystick::_readAxes()
{
    // The device plugged back in is the same model: its axes are the same.
    uint64_t axes = clampCount(SDL_JoystickNumAxes(m_joystick), 0xFFFFu);
    for (uint64_t i = 0; i < axes && i < m_axisSlots.getCount(); ++i)
    {
        int32_t slot = m_axisSlots[i];
        if (slot >= 0)
            m_axes[slot] = mapAxis(scaleSdlAxis(SDL_JoystickGetAxis(m_joystick, static_cast<int>(i))), static_cast<uint32_t>(slot));
    }
}

void CSdlJoystick::_readHats()
{
    // 64 bits, so that an absurd button count cannot wrap around.
    uint64_t first = m_deviceButtons;
    uint32_t hats = clampCount(SDL_JoystickNumHats(m_joystick), C_ARROW_COUNT);
    for (uint32_t j = 0; j < hats; ++j)
    {
        if (!m_arrowPresent[j])
            continue;
        SHatReading reading = decodeHat(SDL_JoystickGetHat(m_joystick, static_cast<int>(j)));
        _setHat(j, reading.arrow, reading.directions, first);
        first += 4;
    }
}

CSdlJoystick::SHatReading CSdlJoystick::decodeHat(uint8_t hat)
{
    // SDL's hat bits are the pad's: up 1, right 2, down 4, left 8.
    SHatReading reading = {directionArrow(hat), {false, false, false, false}};
    arrowDirections(reading.arrow, reading.directions);
    return reading;
}

} // namespace Engine
} // namespace Tavrin
