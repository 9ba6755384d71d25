#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Every input the engine recognises. 0-255 are keyboard keys and mouse
// buttons numbered as Windows virtual-key codes; the rest are mouse axes and
// wheel directions, the keypad's Return, and joystick buttons, axes and
// arrows in blocks of 100 per joystick.
enum TKeyCode : int32_t
{
    C_KEY_NONE = -1,

    C_KEY_MOUSE_BUTTON_LEFT = 1,
    C_KEY_MOUSE_BUTTON_RIGHT = 2,
    C_KEY_MOUSE_BUTTON_MIDDLE = 4,
    C_KEY_MOUSE_BUTTON_X1 = 5,
    C_KEY_MOUSE_BUTTON_X2 = 6,

    C_KEY_MOUSE_AXIS_X = 256,
    C_KEY_MOUSE_AXIS_Y = 257,
    C_KEY_MOUSE_WHEEL = 258,
    C_KEY_MOUSE_WHEEL_UP = 259,
    C_KEY_MOUSE_WHEEL_DOWN = 260,
    C_KEY_KEYPAD_ENTER = 261,

    C_KEY_JOYSTICK_BUTTON = 356,
    C_KEY_JOYSTICK_AXIS = 372,
    C_KEY_JOYSTICK_ARROW = 378,
    C_KEY_JOYSTICK_STRIDE = 100,

    // One past the highest code (joystick 1, arrow 3).
    C_KEY_COUNT = 482
};

const uint32_t C_JOYSTICK_MAPPED_BUTTONS = 16;
const uint32_t C_JOYSTICK_MAPPED_AXES = 6;
const uint32_t C_JOYSTICK_MAPPED_ARROWS = 4;

inline TKeyCode joystickButtonCode(uint32_t joystick, uint32_t button)
{
    return static_cast<TKeyCode>(C_KEY_JOYSTICK_BUTTON + C_KEY_JOYSTICK_STRIDE * joystick + button);
}

inline TKeyCode joystickAxisCode(uint32_t joystick, uint32_t axis)
{
    return static_cast<TKeyCode>(C_KEY_JOYSTICK_AXIS + C_KEY_JOYSTICK_STRIDE * joystick + axis);
}

inline TKeyCode joystickArrowCode(uint32_t joystick, uint32_t arrow)
{
    return static_cast<TKeyCode>(C_KEY_JOYSTICK_ARROW + C_KEY_JOYSTICK_STRIDE * joystick + arrow);
}

// True for the four arrows of joystick 0 (378-381) and joystick 1 (478-481).
bool isJoystickArrow(TKeyCode code);

} // namespace Engine
} // namespace Tavrin
