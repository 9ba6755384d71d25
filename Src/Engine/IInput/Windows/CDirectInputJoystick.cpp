#include "Engine/IInput/Windows/CDirectInputJoystick.h"

#include "Engine/IInput/Windows/Win32Errors.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_SOURCE = "Engine/IInput/Windows/CDirectInputJoystick";

// A device that keeps answering "input lost" must not hold the UI thread
// forever: after this many waits of 1 ms the poll gives up until the next one.
const uint32_t C_MAX_REACQUIRE_ATTEMPTS = 100;

struct SObjectLabel
{
    const char* text;
    DWORD bits;
};

// Log labels of an object's type word, in the order they are printed.
const SObjectLabel C_OBJECT_LABELS[] = {
    {"(AbsAxis) ", DIDFT_ABSAXIS},     {"(Alias) ", DIDFT_ALIAS},       {"(Axis) ", DIDFT_AXIS},
    {"(Button) ", DIDFT_BUTTON},       {"(Coll) ", DIDFT_COLLECTION},   {"(FFactuator) ", DIDFT_FFACTUATOR},
    {"(FxTrigger) ", DIDFT_FFEFFECTTRIGGER}, {"(NoColl) ", DIDFT_NOCOLLECTION}, {"(NoData) ", DIDFT_NODATA},
    {"(Output) ", DIDFT_OUTPUT},       {"(POV) ", DIDFT_POV},           {"(PushButton) ", DIDFT_PSHBUTTON},
    {"(RelAxis) ", DIDFT_RELAXIS},     {"(ToggleButton) ", DIDFT_TGLBUTTON}, {"(Vendor) ", DIDFT_VENDORDEFINED},
};

DWORD cooperativeFlags(uint32_t foregroundOnly)
{
    return DISCL_NONEXCLUSIVE | (foregroundOnly ? DISCL_FOREGROUND : DISCL_BACKGROUND);
}

} // namespace

CDirectInputJoystick::CDirectInputJoystick(void* window, uint32_t foregroundOnly, IDirectInputDevice8A* device)
    : CJoystick(window, foregroundOnly), m_device(device), m_deviceAxes(0), m_deviceButtons(0), m_devicePovs(0)
{
    if (!device)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid joystick handle\n", C_SOURCE, 151);
    HRESULT result = m_device->SetDataFormat(&c_dfDIJoystick2);
    if (FAILED(result))
    {
        log("Cannot set data format on joystick\n");
        logPlatformError("SetDataFormat", result);
        return;
    }
    result = m_device->SetCooperativeLevel(static_cast<HWND>(window), cooperativeFlags(foregroundOnly));
    if (FAILED(result))
    {
        log("Cannot set cooperative level on joystick\n");
        logPlatformError("SetCooperativeLevel", result);
    }
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    result = m_device->GetCapabilities(&caps);
    if (FAILED(result))
    {
        log("Cannot get joystick device caps\n");
        logPlatformError("GetCapabilities", result);
        return;
    }
    m_deviceAxes = caps.dwAxes;
    m_deviceButtons = caps.dwButtons;
    m_devicePovs = caps.dwPOVs;
    log("Joystick %x caps: %d axes, %d buttons, %d arrows\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)),
        static_cast<int>(m_deviceAxes), static_cast<int>(m_deviceButtons), static_cast<int>(m_devicePovs));
    result = m_device->EnumObjects(&CDirectInputJoystick::_onObject, this, DIDFT_ALL);
    if (FAILED(result))
    {
        log("Cannot enumerate objects on joystick\n");
        logPlatformError("EnumObjects", result);
    }
    m_active = m_device->Acquire() == DI_OK;
}

CDirectInputJoystick::~CDirectInputJoystick()
{
    if (!m_device)
        return;
    m_device->Unacquire();
    m_device->Release();
}

BOOL CALLBACK CDirectInputJoystick::_onObject(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context)
{
    static_cast<CDirectInputJoystick*>(context)->_describeObject(*object);
    return DIENUM_CONTINUE;
}

void CDirectInputJoystick::_describeObject(const DIDEVICEOBJECTINSTANCEA& object)
{
    CString text;
    text.format("Object ID %d: %s ", static_cast<int>(DIDFT_GETINSTANCE(object.dwType)), object.tszName);
    for (const SObjectLabel& label : C_OBJECT_LABELS)
        if (object.dwType & label.bits)
            text += label.text;
    if (object.dwType & DIDFT_AXIS)
    {
        if (!_setAxisRange(object.dwType))
            return;
        _markAxis(object.guidType, text);
    }
    if (object.guidType == GUID_Button)
        text += "GUID_Button";
    else if (object.guidType == GUID_POV)
    {
        text += "GUID_POV";
        for (bool& present : m_arrowPresent)
            if (!present)
            {
                present = true;
                break;
            }
    }
    log("Joystick enumeration: %s\n", text.c_str());
}

bool CDirectInputJoystick::_setAxisRange(DWORD type)
{
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(DIPROPRANGE);
    range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    range.diph.dwObj = type;
    range.diph.dwHow = DIPH_BYID;
    range.lMin = -10000;
    range.lMax = 10000;
    HRESULT result = m_device->SetProperty(DIPROP_RANGE, &range.diph);
    if (FAILED(result))
    {
        log("Cannot set axis range property on joystick\n");
        logPlatformError("SetProperty", result);
        return false;
    }
    return true;
}

// Axes 2 to 4 follow the state's order (Rx, Ry, Z), which is also the XInput
// layout (right stick X and Y, left trigger) of gamepads seen through here.
void CDirectInputJoystick::_markAxis(const GUID& type, CString& text)
{
    struct SAxisGuid
    {
        const GUID* guid;
        const char* name;
        uint32_t axis;
    };
    static const SAxisGuid s_axes[] = {
        {&GUID_XAxis, "GUID_XAxis", 0},   {&GUID_YAxis, "GUID_YAxis", 1},   {&GUID_RxAxis, "GUID_RxAxis", 2},
        {&GUID_RyAxis, "GUID_RyAxis", 3}, {&GUID_ZAxis, "GUID_ZAxis", 4},   {&GUID_RzAxis, "GUID_RzAxis", 5},
    };
    for (const SAxisGuid& axis : s_axes)
        if (type == *axis.guid)
        {
            m_axisPresent[axis.axis] = true;
            text += axis.name;
            return;
        }
    if (type != GUID_Slider)
        return;
    text += "GUID_Slider";
    // The state has room for two sliders; a third is listed but not read.
    for (uint32_t slider = 6; slider < C_AXIS_COUNT; ++slider)
        if (!m_axisPresent[slider])
        {
            m_axisPresent[slider] = true;
            CString index;
            text += index.format("%u", static_cast<unsigned>(slider));
            return;
        }
}

void CDirectInputJoystick::update(float)
{
    if (m_foregroundOnly && GetFocus() != static_cast<HWND>(m_window))
    {
        m_active = false;
        resetState();
        return;
    }
    if (FAILED(m_device->Poll()))
    {
        _reacquire();
        return;
    }
    DIJOYSTATE2 state;
    if (FAILED(m_device->GetDeviceState(sizeof(state), &state)))
    {
        resetState();
        m_active = false;
        return;
    }
    for (uint32_t i = 0; i < C_BUTTON_COUNT; ++i)
        m_buttons[i] = (state.rgbButtons[i] & 0x80) != 0;
    const LONG raw[C_AXIS_COUNT] = {state.lX, state.lY, state.lRx, state.lRy, state.lZ, state.lRz, state.rglSlider[0], state.rglSlider[1]};
    for (uint32_t i = 0; i < C_AXIS_COUNT; ++i)
        if (m_axisPresent[i])
            m_axes[i] = mapAxis(static_cast<float>(raw[i]) * 0.0001f, i);
    _readArrows(state);
    m_active = true;
    calibrateAxes();
}

void CDirectInputJoystick::_reacquire()
{
    m_active = false;
    HRESULT result = m_device->Acquire();
    for (uint32_t attempt = 0; result == DIERR_INPUTLOST && attempt < C_MAX_REACQUIRE_ATTEMPTS; ++attempt)
    {
        Sleep(1);
        log("Trying to acquire joystick device..\n");
        result = m_device->Acquire();
        m_active = result == DI_OK;
    }
    // Whatever the device says now shows from the next poll on.
    resetState();
}

void CDirectInputJoystick::_readArrows(const DIJOYSTATE2& state)
{
    // 64 bits, so that a driver's absurd button count cannot wrap around.
    uint64_t first = m_deviceButtons;
    for (uint32_t j = 0; j < C_ARROW_COUNT; ++j)
    {
        if (!m_arrowPresent[j])
            continue;
        SPovReading reading = decodePov(state.rgdwPOV[j]);
        _setHat(j, reading.arrow, reading.directions, first);
        first += 4;
    }
}

CDirectInputJoystick::SPovReading CDirectInputJoystick::decodePov(uint32_t pov)
{
    SPovReading reading = {C_ARROW_CENTRED, {false, false, false, false}};
    // NOTE: DirectInput documents that some drivers report a centred hat as
    // 65535 in the low word only, so the low word alone decides.
    if ((pov & 0xFFFFu) == 0xFFFFu)
        return reading;
    float v = static_cast<float>(pov) * 2.7777778e-5f;
    if (v <= 0.0f)
        v = 0.0f;
    else if (v >= 1.0f)
        v = 1.0f;
    reading.arrow = v;
    arrowDirections(v, reading.directions);
    return reading;
}

} // namespace Engine
} // namespace Tavrin
