#pragma once

#include "Engine/IInput/Windows/DirectInput.h"
#include "Engine/IInput/Windows/SXInputEntryPoints.h"

#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace Tavrin {
namespace Engine {
namespace Testing {

// A DirectInput device with scripted answers that records what it is asked.
// The test owns it; Release only counts.
class CFakeDevice : public IDirectInputDevice8A
{
public:
    // Scripted answers.
    HRESULT dataFormatResult = DI_OK;
    HRESULT cooperativeLevelResult = DI_OK;
    HRESULT capabilitiesResult = DI_OK;
    HRESULT enumObjectsResult = DI_OK;
    DIDEVCAPS caps{};
    std::vector<DIDEVICEOBJECTINSTANCEA> objects;
    // Type words of the objects whose range is refused.
    std::vector<DWORD> refusedRanges;
    // Consumed one per call; DI_OK once empty.
    std::deque<HRESULT> acquireResults;
    std::deque<HRESULT> pollResults;
    std::deque<HRESULT> stateResults;
    // Copied out by every successful GetDeviceState.
    std::vector<unsigned char> state;

    // Recorded.
    ULONG references = 1;
    std::vector<std::string> calls;
    const DIDATAFORMAT* dataFormat = nullptr;
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeFlags = 0;
    DWORD capsSize = 0;
    DWORD enumFlags = 0xFFFFFFFF;
    std::vector<DIPROPRANGE> ranges;

    void setJoystickState(const DIJOYSTATE2& joystick) { _setState(&joystick, sizeof(joystick)); }
    void setMouseState(const DIMOUSESTATE& mouse) { _setState(&mouse, sizeof(mouse)); }
    int count(const std::string& call) const
    {
        int n = 0;
        for (const std::string& c : calls)
            n += c == call ? 1 : 0;
        return n;
    }

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return ++references; }
    STDMETHOD_(ULONG, Release)() override
    {
        calls.push_back("Release");
        return --references;
    }
    STDMETHOD(GetCapabilities)(LPDIDEVCAPS out) override
    {
        calls.push_back("GetCapabilities");
        capsSize = out->dwSize;
        if (SUCCEEDED(capabilitiesResult))
            *out = caps;
        return capabilitiesResult;
    }
    STDMETHOD(EnumObjects)(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) override
    {
        calls.push_back("EnumObjects");
        enumFlags = flags;
        if (FAILED(enumObjectsResult))
            return enumObjectsResult;
        for (const DIDEVICEOBJECTINSTANCEA& object : objects)
            if (callback(&object, context) != DIENUM_CONTINUE)
                break;
        return DI_OK;
    }
    STDMETHOD(GetProperty)(REFGUID, LPDIPROPHEADER) override { return E_NOTIMPL; }
    STDMETHOD(SetProperty)(REFGUID property, LPCDIPROPHEADER header) override
    {
        calls.push_back("SetProperty");
        if (&property != &DIPROP_RANGE)
            return DIERR_UNSUPPORTED;
        ranges.push_back(*reinterpret_cast<const DIPROPRANGE*>(header));
        for (DWORD refused : refusedRanges)
            if (refused == header->dwObj)
                return DIERR_UNSUPPORTED;
        return DI_OK;
    }
    STDMETHOD(Acquire)() override { return _next("Acquire", acquireResults); }
    STDMETHOD(Unacquire)() override
    {
        calls.push_back("Unacquire");
        return DI_OK;
    }
    STDMETHOD(GetDeviceState)(DWORD size, LPVOID out) override
    {
        HRESULT result = _next("GetDeviceState", stateResults);
        if (FAILED(result))
            return result;
        if (size != state.size())
            return DIERR_INVALIDPARAM;
        memcpy(out, state.data(), size);
        return result;
    }
    STDMETHOD(GetDeviceData)(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT format) override
    {
        calls.push_back("SetDataFormat");
        dataFormat = format;
        return dataFormatResult;
    }
    STDMETHOD(SetEventNotification)(HANDLE) override { return E_NOTIMPL; }
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override
    {
        calls.push_back("SetCooperativeLevel");
        cooperativeWindow = window;
        cooperativeFlags = flags;
        return cooperativeLevelResult;
    }
    STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA) override { return E_NOTIMPL; }
    STDMETHOD(RunControlPanel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(HINSTANCE, DWORD, REFGUID) override { return E_NOTIMPL; }
    STDMETHOD(CreateEffect)(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT*, LPUNKNOWN) override { return E_NOTIMPL; }
    STDMETHOD(EnumEffects)(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetEffectInfo)(LPDIEFFECTINFOA, REFGUID) override { return E_NOTIMPL; }
    STDMETHOD(GetForceFeedbackState)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(SendForceFeedbackCommand)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumCreatedEffectObjects)(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Escape)(LPDIEFFESCAPE) override { return E_NOTIMPL; }
    STDMETHOD(Poll)() override { return _next("Poll", pollResults); }
    STDMETHOD(SendDeviceData)(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumEffectsInFile)(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(WriteEffectToFile)(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(BuildActionMap)(LPDIACTIONFORMATA, LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetActionMap)(LPDIACTIONFORMATA, LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetImageInfo)(LPDIDEVICEIMAGEINFOHEADERA) override { return E_NOTIMPL; }

private:
    HRESULT _next(const char* call, std::deque<HRESULT>& results)
    {
        calls.push_back(call);
        if (results.empty())
            return DI_OK;
        HRESULT result = results.front();
        results.pop_front();
        return result;
    }
    void _setState(const void* bytes, size_t size)
    {
        const unsigned char* first = static_cast<const unsigned char*>(bytes);
        state.assign(first, first + size);
    }
};

// An attached game controller as the fake DirectInput lists it.
struct SFakeInstance
{
    GUID guid;
    std::string instanceName;
    std::string productName;
    CFakeDevice* device;
    HRESULT createResult;
};

// The DirectInput 8 interface over scripted game controllers and a mouse.
class CFakeDirectInput : public IDirectInput8A
{
public:
    std::vector<SFakeInstance> instances;
    // Returned by EnumDevices after visiting the instances.
    HRESULT enumResult = DI_OK;
    CFakeDevice* mouse = nullptr;
    HRESULT mouseResult = DI_OK;

    ULONG references = 1;
    std::vector<GUID> created;
    std::vector<DWORD> enumClasses;
    std::vector<DWORD> enumFlags;

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return ++references; }
    STDMETHOD_(ULONG, Release)() override { return --references; }
    STDMETHOD(CreateDevice)(REFGUID guid, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) override
    {
        created.push_back(guid);
        *out = nullptr;
        if (outer)
            return DIERR_INVALIDPARAM;
        if (guid == GUID_SysMouse)
            return _handOut(mouse, mouseResult, out);
        for (SFakeInstance& instance : instances)
            if (instance.guid == guid)
                return _handOut(instance.device, instance.createResult, out);
        return DIERR_DEVICENOTREG;
    }
    STDMETHOD(EnumDevices)(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) override
    {
        enumClasses.push_back(deviceClass);
        enumFlags.push_back(flags);
        for (const SFakeInstance& instance : instances)
        {
            DIDEVICEINSTANCEA record{};
            record.dwSize = sizeof(record);
            record.guidInstance = instance.guid;
            strncpy(record.tszInstanceName, instance.instanceName.c_str(), MAX_PATH - 1);
            strncpy(record.tszProductName, instance.productName.c_str(), MAX_PATH - 1);
            if (callback(&record, context) != DIENUM_CONTINUE)
                break;
        }
        return enumResult;
    }
    STDMETHOD(GetDeviceStatus)(REFGUID) override { return E_NOTIMPL; }
    STDMETHOD(RunControlPanel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(HINSTANCE, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(FindDevice)(REFGUID, LPCSTR, LPGUID) override { return E_NOTIMPL; }
    STDMETHOD(EnumDevicesBySemantics)(LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA, LPVOID, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(ConfigureDevices)(LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD, LPVOID) override
    {
        return E_NOTIMPL;
    }

private:
    static HRESULT _handOut(CFakeDevice* device, HRESULT result, LPDIRECTINPUTDEVICE8A* out)
    {
        if (FAILED(result))
            return result;
        device->AddRef();
        *out = device;
        return result;
    }
};

// Scripted XInput controllers: index 0 to 3 answer when connected.
struct SFakeXInput
{
    struct SVibration
    {
        DWORD index;
        WORD left;
        WORD right;
    };

    static SFakeXInput& get()
    {
        static SFakeXInput s_fake;
        return s_fake;
    }
    // Everything unplugged, nothing recorded.
    static void reset() { get() = SFakeXInput(); }
    static const SXInputEntryPoints& entryPoints()
    {
        static const SXInputEntryPoints s_entryPoints = {&SFakeXInput::_getState, &SFakeXInput::_setState};
        return s_entryPoints;
    }

    bool connected[4] = {false, false, false, false};
    XINPUT_GAMEPAD pads[4] = {};
    std::vector<DWORD> polled;
    std::vector<SVibration> vibrations;

private:
    static DWORD WINAPI _getState(DWORD index, XINPUT_STATE* state)
    {
        SFakeXInput& fake = get();
        fake.polled.push_back(index);
        if (index >= 4)
            return ERROR_BAD_ARGUMENTS;
        if (!fake.connected[index])
            return ERROR_DEVICE_NOT_CONNECTED;
        state->Gamepad = fake.pads[index];
        return ERROR_SUCCESS;
    }
    static DWORD WINAPI _setState(DWORD index, XINPUT_VIBRATION* vibration)
    {
        get().vibrations.push_back({index, vibration->wLeftMotorSpeed, vibration->wRightMotorSpeed});
        return ERROR_SUCCESS;
    }
};

// An object record as EnumObjects hands it out.
inline DIDEVICEOBJECTINSTANCEA makeObject(const GUID& type, DWORD typeWord, const char* name)
{
    DIDEVICEOBJECTINSTANCEA object{};
    object.dwSize = sizeof(object);
    object.guidType = type;
    object.dwType = typeWord;
    strncpy(object.tszName, name, MAX_PATH - 1);
    return object;
}

inline DWORD absoluteAxis(DWORD instance)
{
    return DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(instance);
}

} // namespace Testing
} // namespace Engine
} // namespace Tavrin
