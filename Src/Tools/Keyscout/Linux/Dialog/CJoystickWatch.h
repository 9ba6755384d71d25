#pragma once

// Notices joysticks and game controllers plugged in or unplugged, from SDL's
// device events; the list itself comes from the input manager. Needs SDL's
// joystick subsystem running (the input manager's).
class CJoystickWatch
{
public:
    // True when devices came or went since the last call (the first call
    // also reports the devices present when SDL started).
    bool hasChanged();
};
