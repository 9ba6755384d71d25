#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IInput/Windows/DirectInput.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A game controller opened through DirectInput 8. Hat switches become arrows
// and four extra buttons each (up, right, down, left), placed after the
// device's own buttons as far as they fit in the joystick's 128.
class CDirectInputJoystick : public CJoystick
{
public:
    // Position of a hat as an arrow value, and which of its four direction
    // buttons it presses.
    struct SPovReading
    {
        float arrow;
        bool directions[4];
    };

    // Takes over the one reference the creator holds on device.
    CDirectInputJoystick(void* window, uint32_t foregroundOnly, IDirectInputDevice8A* device);
    ~CDirectInputJoystick() override;

    void update(float dt) override;

    // -1 with no direction when centred; diagonals press two directions.
    static SPovReading decodePov(uint32_t pov);

    uint32_t getDeviceAxes() const { return m_deviceAxes; }
    uint32_t getDeviceButtons() const { return m_deviceButtons; }
    uint32_t getDevicePovs() const { return m_devicePovs; }

private:
    static BOOL CALLBACK _onObject(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context);
    void _describeObject(const DIDEVICEOBJECTINSTANCEA& object);
    bool _setAxisRange(DWORD type);
    void _markAxis(const GUID& type, CString& text);
    void _reacquire();
    void _readArrows(const DIJOYSTATE2& state);

    IDirectInputDevice8A* m_device;
    uint32_t m_deviceAxes;
    uint32_t m_deviceButtons;
    uint32_t m_devicePovs;
};

} // namespace Engine
} // namespace Tavrin
