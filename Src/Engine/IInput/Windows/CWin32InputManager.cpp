#include "Engine/IInput/Windows/CWin32InputManager.h"

#include "Engine/IInput/Windows/CDirectInputJoystick.h"
#include "Engine/IInput/Windows/CDirectInputMouse.h"
#include "Engine/IInput/Windows/CXInputJoystick.h"
#include "Engine/IInput/Windows/Win32Errors.h"
#include "Engine/IKernel/CLog.h"

#include <objbase.h>

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const uint32_t C_XINPUT_CONTROLLERS = 4;

struct _SListContext
{
    IDirectInput8A* directInput;
    CArray<SJoystickDescriptor>* out;
};

struct _SSelectContext
{
    IDirectInput8A* directInput;
    const CString* key;
    IDirectInputDevice8A* device;
};

SJoystickDescriptor makeDescriptor(const CString& name, const CString& id)
{
    SJoystickDescriptor descriptor;
    descriptor.name = name;
    descriptor.id = id;
    return descriptor;
}

bool isBackend(const char* id, size_t length, const char* word)
{
    return length == strlen(word) && memcmp(id, word, length) == 0;
}

} // namespace

CWin32InputManager::CWin32InputManager() : CWin32InputManager(&CWin32InputManager::createSystemDirectInput, getSystemXInput())
{
}

CWin32InputManager::CWin32InputManager(TDirectInputFactory factory, const SXInputEntryPoints& xinput)
    : m_directInput(nullptr), m_xinput(xinput)
{
    log("Creating DInput8 device\n");
    HRESULT result = factory(&m_directInput);
    if (FAILED(result))
    {
        // A program without DirectInput still runs; it just lists nothing.
        m_directInput = nullptr;
        log("Failed to create DInput8 device: %d\n", static_cast<int>(result));
        logPlatformError("DirectInput8Create", result);
    }
}

CWin32InputManager::~CWin32InputManager()
{
    if (m_directInput)
        m_directInput->Release();
}

HRESULT CWin32InputManager::createSystemDirectInput(IDirectInput8A** directInput)
{
    return DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(directInput),
                              nullptr);
}

CString CWin32InputManager::formatGuid(const GUID& guid)
{
    wchar_t wide[250];
    int length = StringFromGUID2(guid, wide, 250);
    if (length <= 0)
    {
        logPlatformError("StringFromGUID2", E_OUTOFMEMORY);
        return CString();
    }
    // The registry form is plain ASCII.
    char narrow[250];
    for (int i = 0; i < length; ++i)
        narrow[i] = static_cast<char>(wide[i]);
    narrow[length - 1] = '\0';
    return CString(narrow);
}

void CWin32InputManager::enumerateJoysticks(CArray<SJoystickDescriptor>& out)
{
    if (!m_directInput)
        return;
    for (uint32_t n = 0; n < C_XINPUT_CONTROLLERS; ++n)
    {
        XINPUT_STATE state{};
        if (m_xinput.getState(n, &state) != ERROR_SUCCESS)
            continue;
        log("XInput controller #%d found\n", static_cast<int>(n));
        CString name, id;
        name.format("XInput Controller #%u", static_cast<unsigned>(n));
        id.format("XInput:%u", static_cast<unsigned>(n));
        out.add(makeDescriptor(name, id));
    }
    // An XInput controller is a DirectInput game controller too, so it is
    // listed under both backends.
    _SListContext context = {m_directInput, &out};
    HRESULT result =
        m_directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, &CWin32InputManager::_onListedDevice, &context, DIEDFL_ATTACHEDONLY);
    if (FAILED(result))
    {
        log("Failed to enum DInput joystick devices: %d\n", static_cast<int>(result));
        logPlatformError("EnumDevices", result);
    }
}

BOOL CALLBACK CWin32InputManager::_onListedDevice(LPCDIDEVICEINSTANCEA instance, LPVOID context)
{
    _SListContext& list = *static_cast<_SListContext*>(context);
    // Only devices that can really be opened are offered.
    IDirectInputDevice8A* device = nullptr;
    if (FAILED(list.directInput->CreateDevice(instance->guidInstance, &device, nullptr)))
        return DIENUM_CONTINUE;
    device->Release();
    log("DInput Joystick found: '%s' from %s\n", instance->tszInstanceName, instance->tszProductName);
    list.out->add(makeDescriptor(CString("DirectInput ") + instance->tszInstanceName,
                                 CString("DirectInput:") + formatGuid(instance->guidInstance)));
    return DIENUM_CONTINUE;
}

CManagedPtr<CJoystick> CWin32InputManager::createJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly)
{
    if (!m_directInput || descriptor.id.isEmpty())
        return CManagedPtr<CJoystick>();
    const char* id = descriptor.id.c_str();
    const char* colon = strchr(id, ':');
    if (!colon)
        return CManagedPtr<CJoystick>();
    size_t length = static_cast<size_t>(colon - id);
    CString key(colon + 1);
    if (isBackend(id, length, "DirectInput"))
        return _createDirectInputJoystick(window, descriptor.id, key, foregroundOnly);
    if (isBackend(id, length, "XInput"))
        return _createXInputJoystick(window, key, foregroundOnly);
    return CManagedPtr<CJoystick>();
}

CManagedPtr<CJoystick> CWin32InputManager::_createDirectInputJoystick(void* window, const CString& id, const CString& key,
                                                                      uint32_t foregroundOnly)
{
    _SSelectContext context = {m_directInput, &key, nullptr};
    HRESULT result =
        m_directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, &CWin32InputManager::_onSelectedDevice, &context, DIEDFL_ATTACHEDONLY);
    if (FAILED(result))
    {
        log("Failed to select DInput joystick device %s: %d\n", id.c_str(), static_cast<int>(result));
        logPlatformError("EnumDevices", result);
        if (context.device)
            context.device->Release();
        return CManagedPtr<CJoystick>();
    }
    if (!context.device)
    {
        log("Could not locate a DInput joystick of name %s\n", id.c_str());
        return CManagedPtr<CJoystick>();
    }
    CDirectInputJoystick* joystick = new CDirectInputJoystick(window, foregroundOnly, context.device);
    _attach(joystick);
    return CManagedPtr<CJoystick>::adopt(joystick);
}

BOOL CALLBACK CWin32InputManager::_onSelectedDevice(LPCDIDEVICEINSTANCEA instance, LPVOID context)
{
    _SSelectContext& select = *static_cast<_SSelectContext*>(context);
    CString text = formatGuid(instance->guidInstance);
    if (text.getLength() != select.key->getLength() || memcmp(text.c_str(), select.key->c_str(), text.getLength()) != 0)
        return DIENUM_CONTINUE;
    IDirectInputDevice8A* device = nullptr;
    if (FAILED(select.directInput->CreateDevice(instance->guidInstance, &device, nullptr)))
        return DIENUM_CONTINUE;
    select.device = device;
    return DIENUM_STOP;
}

CManagedPtr<CJoystick> CWin32InputManager::_createXInputJoystick(void* window, const CString& key, uint32_t foregroundOnly)
{
    // Read as atoi would (leading digits, 0 without any), without its
    // undefined overflow.
    int index = static_cast<int>(strtol(key.c_str(), nullptr, 10));
    XINPUT_STATE state{};
    DWORD result = m_xinput.getState(static_cast<DWORD>(index), &state);
    if (result != ERROR_SUCCESS)
    {
        log("XInput controller %d not active\n", index);
        // Not being plugged in is the usual answer, not a failure.
        if (result != ERROR_DEVICE_NOT_CONNECTED)
            logPlatformError("XInputGetState", static_cast<int32_t>(HRESULT_FROM_WIN32(result)));
        return CManagedPtr<CJoystick>();
    }
    CXInputJoystick* joystick = new CXInputJoystick(window, foregroundOnly, static_cast<uint32_t>(index), m_xinput);
    _attach(joystick);
    return CManagedPtr<CJoystick>::adopt(joystick);
}

CManagedPtr<CMouse> CWin32InputManager::createMouse(void* window, uint32_t foregroundOnly)
{
    if (!m_directInput)
        return CManagedPtr<CMouse>();
    IDirectInputDevice8A* device = nullptr;
    HRESULT result = m_directInput->CreateDevice(GUID_SysMouse, &device, nullptr);
    if (FAILED(result))
    {
        log("Failed to create a Direct Input mouse device\n");
        logPlatformError("CreateDevice", result);
        return CManagedPtr<CMouse>();
    }
    CDirectInputMouse* mouse = new CDirectInputMouse(window, foregroundOnly, device);
    _attach(mouse);
    return CManagedPtr<CMouse>::adopt(mouse);
}

} // namespace Engine
} // namespace Tavrin
