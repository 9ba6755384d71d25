#include "Engine/IInput/Linux/SdlAxisPlacement.h"

#include <linux/input-event-codes.h>

namespace Tavrin {
namespace Engine {

namespace {

const int32_t C_X = 0, C_Y = 1, C_RX = 2, C_RY = 3, C_Z = 4, C_RZ = 5, C_FIRST_SLIDER = 6, C_SLOTS = 8;
const int32_t C_SLIDER = -2;

// NOTE: the slot DirectInput gives the HID usage that the kernel turned into
// each code. Simulation controls: the rudder and the brake are Rz, the
// accelerator Y, the steering X; the throttle, a slider or a dial is a slider.
int32_t preferredSlot(uint32_t code)
{
    switch (code)
    {
    case ABS_X: return C_X;
    case ABS_Y: return C_Y;
    case ABS_Z: return C_Z;
    case ABS_RX: return C_RX;
    case ABS_RY: return C_RY;
    case ABS_RZ: return C_RZ;
    case ABS_RUDDER: return C_RZ;
    case ABS_BRAKE: return C_RZ;
    case ABS_GAS: return C_Y;
    case ABS_WHEEL: return C_X;
    default: return C_SLIDER;
    }
}

} // namespace

CArray<int32_t> placeEvdevAxes(const CArray<uint32_t>& codes)
{
    bool taken[C_SLOTS] = {};
    CArray<int32_t> slots;
    for (uint32_t code : codes)
    {
        int32_t slot = preferredSlot(code);
        // A simulation control whose slot is taken becomes a slider.
        if (slot == C_SLIDER || taken[slot])
        {
            slot = -1;
            for (int32_t slider = C_FIRST_SLIDER; slider < C_SLOTS && slot < 0; ++slider)
                if (!taken[slider])
                    slot = slider;
        }
        if (slot >= 0)
            taken[slot] = true;
        slots.add(slot);
    }
    return slots;
}

CArray<int32_t> placeAxesByIndex(uint32_t count)
{
    CArray<uint32_t> codes;
    for (uint32_t i = 0; i < count; ++i)
        codes.add(i);
    return placeEvdevAxes(codes);
}

} // namespace Engine
} // namespace Tavrin
