#pragma once

#include "Engine/IInput/TKeyCode.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// One entry of the fixed key-name table.
struct SKeyName
{
    const char* name;
    TKeyCode code;
};

// The kinds of key, by index into the key-kind names.
enum TKeyKind : int32_t
{
    C_KEY_KIND_UNKNOWN = 0,
    C_KEY_KIND_TOGGLE_BUTTON = 1,
    C_KEY_KIND_ANALOG_BUTTON = 2,
    C_KEY_KIND_AXIS = 3,
    C_KEY_KIND_ARROW = 4,
    C_KEY_KIND_COUNT = 5
};

const uint32_t C_KEY_NAME_COUNT = 166;

// The 166 named keys in their fixed order, then a sentinel whose name is
// empty and whose code is C_KEY_NONE.
extern const SKeyName s_keyNameTable[C_KEY_NAME_COUNT + 1];
extern const char* const s_keyKindNames[C_KEY_KIND_COUNT];

} // namespace Engine
} // namespace Tavrin
