#pragma once

#include "Engine/IInput/CKeyNameMaps.h"
#include "Engine/IInput/SInputEvent.h"
#include "Engine/IInput/TKeyCode.h"
#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CJoystick;

// Turns key, button, axis and arrow changes into key statuses and those into
// input events; in detection mode it records the keys pressed instead.
class CInputMapper : public CManaged
{
public:
    enum TDetectionState : int32_t
    {
        Idle = 0,
        Aborted = 1,
        Finished = 2,
        Waiting = 3,
        Recording = 4
    };

    static constexpr uint32_t C_NO_INDEX = 0xFFFFFFFFu;

    CInputMapper();
    ~CInputMapper() override;
    CInputMapper(const CInputMapper&) = delete;
    CInputMapper& operator=(const CInputMapper&) = delete;

    // Key names (lower case, from the name dictionary).
    CString keyName(TKeyCode code) const { return m_keyNames.keyName(code); }
    CString formatKeys(const CArray<TKeyCode>& codes, const CString& separator) const { return m_keyNames.formatKeys(codes, separator); }
    TKeyCode findKeyCode(const CString& name) const { return m_keyNames.findKeyCode(name); }
    const CKeyNameMaps& getKeyNameMaps() const { return m_keyNames; }

    // The single entry for every change of a key status.
    void setKey(TKeyCode code, bool pressed, float value);
    void keyDown(TKeyCode code);
    void keyUp(TKeyCode code);
    // Mouse buttons 1 to 6 only.
    void mouseButtonDown(uint32_t button);
    void mouseButtonUp(uint32_t button);
    // Motion since the last poll, in device units.
    void feedMouseMotion(float dx, float dy);
    // Wheel motion since the last poll, in notches.
    void feedMouseWheel(float w);
    // Buttons 0-15, present axes 0-5 and present arrows 0-3 of joystick 0 to 3.
    void feedJoystick(uint32_t joystick, const CJoystick& device);
    // Once per poll; may finish a detection.
    void update(float dt);

    // Lets go of every held key status, as releases that record nothing: a
    // release lost while no window listened must not hold later runs open.
    void releaseAllKeys();
    // Lets go of the keys together: every status changes before any event,
    // so no part of a combination takes over in between; each event they
    // held ends once. Codes not held are skipped.
    void releaseKeys(const CArray<TKeyCode>& codes);
    void startDetection(const CArray<TKeyCode>& abortKeyList);
    int32_t getDetectionState() const { return m_detectionState; }
    // The recorded keys in first-press order; the state becomes Idle.
    CArray<TKeyCode> takeDetectedKeys();
    // The keys recorded so far, while the detection goes on.
    const CArray<TKeyCode>& getDetectedKeys() const { return m_detectedKeys; }

    // Returns the new event's index.
    uint32_t createEvent(const CString& name, bool inverted = false, bool requireDoublePress = false);
    // C_NO_INDEX when no event has that name (any letter case).
    uint32_t findEvent(const CString& name) const;
    void setEventCallbacks(uint32_t event, const SInputEventCallback& onActivate, const SInputEventCallback& onDeactivate);
    // Binds a key combination as the event's first (slot 0) or second
    // (slot 1) combination, replacing the one there.
    void bindKeys(uint32_t event, uint32_t slot, const CArray<TKeyCode>& keys);
    void unbindKeys(uint32_t event, uint32_t slot);
    // Deactivates the event, drops its bindings and renumbers later events.
    void removeEvent(uint32_t event);
    void reindexBindings();

    const SInputEvent& getEvent(uint32_t event) const { return m_events->at(event); }
    uint32_t getEventCount() const { return static_cast<uint32_t>(m_events->getCount()); }
    const SInputEventKeys& getBinding(uint32_t binding) const { return m_bindings->at(binding); }
    uint32_t getBindingCount() const { return static_cast<uint32_t>(m_bindings->getCount()); }
    bool areBindingsDirty() const { return m_bindingsDirty; }

    const SKeyStatus& getKeyStatus(TKeyCode code) const { return m_keyStatus->at(static_cast<uint64_t>(static_cast<int64_t>(code))); }
    uint32_t getKeyStatusCount() const { return static_cast<uint32_t>(m_keyStatus->getCount()); }

    float getDetectionThreshold() const { return m_detectionThreshold; }
    void setDetectionThreshold(float threshold) { m_detectionThreshold = threshold; }
    float getMouseSensitivity() const { return m_mouseSensitivity; }
    void setMouseSensitivity(float sensitivity) { m_mouseSensitivity = sensitivity; }
    float getJoystickExponent(uint32_t joystick) const;
    void setJoystickExponent(uint32_t joystick, float exponent);
    float getTimeStep() const { return m_timeStep; }

private:
    SKeyStatus& _status(TKeyCode code) { return m_keyStatus->at(static_cast<uint64_t>(static_cast<int64_t>(code))); }
    static uint64_t _maskBit(TKeyCode code) { return uint64_t(1) << (static_cast<uint32_t>(code) & 63); }
    static bool _contains(const CArray<TKeyCode>& keys, TKeyCode code)
    {
        for (TKeyCode key : keys)
            if (key == code)
                return true;
        return false;
    }
    static bool _bindingHasKey(const SInputEventKeys& binding, TKeyCode code)
    {
        return (binding.keyMask & _maskBit(code)) != 0 && _contains(binding.keys, code);
    }
    static bool _isSubsetOf(const CArray<TKeyCode>& a, const CArray<TKeyCode>& b);
    bool _isBindingHeld(uint32_t binding) const;
    float _bindingValue(uint32_t binding) const;
    bool _setEventActive(uint32_t binding, bool on);
    void _onPress(TKeyCode code);
    void _onRelease(TKeyCode code);
    // Ends the events of the bindings that hasReleasedKey picks and that are
    // no longer held; the combinations they covered may take over again.
    template <typename TPredicate>
    void _endReleasedBindings(TPredicate hasReleasedKey);
    // Appends every held binding that shares a key with the given one.
    void _collectHeldNeighbours(uint32_t binding, CArray<uint32_t>& candidates) const;
    // Activates the candidates that no other candidate covers.
    void _activateUncovered(const CArray<uint32_t>& candidates, bool heldOnly);
    void _refreshEventValues(TKeyCode code);
    void _recordDetectedKey(TKeyCode code, float value);
    void _removeBinding(uint32_t binding);
    static void _invokeCallback(const SInputEventCallback& callback, SInputEvent& event, bool released);

    CKeyNameMaps m_keyNames;
    CArray<SInputEvent>* m_events;
    CArray<SInputEventKeys>* m_bindings;
    CArray<SKeyStatus>* m_keyStatus;
    int32_t m_detectionState;
    CArray<TKeyCode> m_abortKeys;
    CArray<TKeyCode> m_detectedKeys;
    float m_detectionThreshold;
    bool m_bindingsDirty;
    float m_mouseSensitivity;
    float m_joystickExponent[4];
    float m_timeStep;
};

} // namespace Engine
} // namespace Tavrin
