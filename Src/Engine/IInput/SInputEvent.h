#pragma once

#include "Engine/IInput/TKeyCode.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

struct SInputEvent;

// The result is not used.
typedef bool (*TInputEventFunction)(void* object, SInputEvent& event, bool released);

// Called only when both the object and the function are set.
struct SInputEventCallback
{
    void* object = nullptr;
    TInputEventFunction function = nullptr;
};

// The state of one key code in the mapper.
struct SKeyStatus
{
    bool pressed = false;
    // Performance-counter reading of the last press; 0 before any.
    int64_t pressTime = 0;
    // 1 for a pressed key or button, else the analogue value.
    float value = 0.0f;
    // Set by a press within 0.3 s of the previous one, cleared by a release.
    bool doublePressed = false;
};

// An input event driven by up to two key combinations.
struct SInputEvent
{
    static constexpr uint32_t C_NO_BINDING = 0xFFFFFFFFu;

    // Identification: the interned name the event was created with.
    uint32_t nameId = 0;
    bool active = false;
    float value = 0.0f;
    SInputEventCallback onActivate;
    SInputEventCallback onDeactivate;
    bool inverted = false;
    // Index in the mapper's bindings of the first and second combination.
    uint32_t bindingIndex[2] = {C_NO_BINDING, C_NO_BINDING};
    // Every key of a combination must have been double-pressed.
    bool requireDoublePress = false;
};

// One key combination bound to an event.
struct SInputEventKeys
{
    // Re-indexing puts larger sort keys first.
    uint32_t sortKey = 0;
    uint32_t eventIndex = 0;
    // Which of the event's two binding indices refers to this binding.
    uint32_t slot = 0;
    CArray<TKeyCode> keys;
    // Bit (code mod 64) of every key: rules a code out without a scan.
    uint64_t keyMask = 0;
};

} // namespace Engine
} // namespace Tavrin
