#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <SDL_joystick.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Any joystick SDL does not know as a game controller, laid out as a
// DirectInput one: each axis in the slot DirectInput gives an axis of its kind
// (read from the device node; by SDL's index for a device without one), up to four hats as arrows and
// four extra buttons each (up, right, down, left) after the device's own, as
// far as they fit in the joystick's 128.
class CSdlJoystick : public CJoystick
{
public:
    // A hat as an arrow value and the direction buttons it presses.
    struct SHatReading
    {
        float arrow;
        bool directions[4];
    };

    // Takes over the opened joystick; id finds the device again once it has
    // been unplugged and plugged back in.
    CSdlJoystick(void* window, uint32_t foregroundOnly, SDL_Joystick* joystick, const CString& id);
    ~CSdlJoystick() override;

    void update(float dt) override;

    // -1 with no direction when centred; diagonals press two directions.
    static SHatReading decodeHat(uint8_t hat);
    // Whether a device bound to window reads input while focus has the
    // keyboard; a device without a window always does.
    static bool readsInput(const void* window, uint32_t foregroundOnly, const void* focus);

    uint32_t getDeviceButtons() const { return m_deviceButtons; }

private:
    bool _attached();
    void _readAxes();
    void _readHats();

    SDL_Joystick* m_joystick;
    CString m_id;
    // The joystick axis of each of SDL's axes, -1 for none.
    CArray<int32_t> m_axisSlots;
    uint32_t m_deviceButtons;
};

} // namespace Engine
} // namespace Tavrin
