#include "Engine/IInput/Windows/CDirectInputMouse.h"

#include "Engine/IInput/Windows/Win32Errors.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

namespace Tavrin {
namespace Engine {

CDirectInputMouse::CDirectInputMouse(void* window, uint32_t foregroundOnly, IDirectInputDevice8A* device)
    : CMouse(window, foregroundOnly), m_device(device), m_active(false)
{
    if (!device)
        TAVRIN_THROW(CInvalidArgumentException, "Invalid mouse handle\n", "Engine/IInput/Windows/CDirectInputMouse");
    HRESULT result = m_device->SetDataFormat(&c_dfDIMouse);
    if (FAILED(result))
    {
        log("Cannot set data format on mouse\n");
        logPlatformError("SetDataFormat", result);
        return;
    }
    DWORD flags = DISCL_NONEXCLUSIVE | (foregroundOnly ? DISCL_FOREGROUND : DISCL_BACKGROUND);
    result = m_device->SetCooperativeLevel(static_cast<HWND>(window), flags);
    if (FAILED(result))
    {
        log("Cannot set cooperative level on mouse\n");
        logPlatformError("SetCooperativeLevel", result);
    }
    m_active = m_device->Acquire() == DI_OK;
}

CDirectInputMouse::~CDirectInputMouse()
{
    if (!m_device)
        return;
    m_device->Unacquire();
    m_device->Release();
}

void CDirectInputMouse::update(float)
{
    if (m_foregroundOnly && GetFocus() != static_cast<HWND>(m_window))
    {
        m_active = false;
        resetState();
        return;
    }
    DIMOUSESTATE state;
    HRESULT result = m_device->GetDeviceState(sizeof(state), &state);
    if (SUCCEEDED(result))
    {
        // The state holds the motion since the previous read, not a sum.
        m_deltaX = state.lX;
        m_deltaY = state.lY;
        m_wheel = static_cast<float>(state.lZ) * 0.008333334f;
        return;
    }
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED)
        m_active = m_device->Acquire() == DI_OK;
    else
        m_active = false;
    resetState();
}

} // namespace Engine
} // namespace Tavrin
