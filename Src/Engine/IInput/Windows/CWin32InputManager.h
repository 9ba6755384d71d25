#pragma once

#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/Windows/DirectInput.h"
#include "Engine/IInput/Windows/SXInputEntryPoints.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Makes the DirectInput 8 interface; returns the platform's result code.
typedef HRESULT (*TDirectInputFactory)(IDirectInput8A** directInput);

// The input manager of Windows: joysticks from XInput (controllers 0 to 3)
// and DirectInput 8 (attached game controllers), the mouse from DirectInput.
// Without DirectInput it lists and opens nothing.
class CWin32InputManager : public CInputManager
{
public:
    // The system's DirectInput 8 and XInput.
    CWin32InputManager();
    CWin32InputManager(TDirectInputFactory factory, const SXInputEntryPoints& xinput);
    ~CWin32InputManager() override;

    void enumerateJoysticks(CArray<SJoystickDescriptor>& out) override;
    // Reads only the descriptor's id: "XInput:<index>" or "DirectInput:<GUID>".
    CManagedPtr<CJoystick> createJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly) override;
    CManagedPtr<CMouse> createMouse(void* window, uint32_t foregroundOnly) override;

    bool hasDirectInput() const { return m_directInput != nullptr; }

    // DirectInput8Create for this program's module.
    static HRESULT createSystemDirectInput(IDirectInput8A** directInput);
    // The registry form of a GUID: braces, upper-case groups 8-4-4-4-12.
    static CString formatGuid(const GUID& guid);

private:
    static BOOL CALLBACK _onListedDevice(LPCDIDEVICEINSTANCEA instance, LPVOID context);
    static BOOL CALLBACK _onSelectedDevice(LPCDIDEVICEINSTANCEA instance, LPVOID context);
    CManagedPtr<CJoystick> _createDirectInputJoystick(void* window, const CString& id, const CString& key, uint32_t foregroundOnly);
    CManagedPtr<CJoystick> _createXInputJoystick(void* window, const CString& key, uint32_t foregroundOnly);

    IDirectInput8A* m_directInput;
    SXInputEntryPoints m_xinput;
};

} // namespace Engine
} // namespace Tavrin
