#pragma once

#include "Engine/IKernel/Types/CString.h"

namespace Tavrin {
namespace Engine {

// A piece of a window's status text, drawn in the text colour or, dimmed,
// in a fainter one.
struct SWindowTextSegment
{
    CString text;
    bool dimmed = false;

    bool operator==(const SWindowTextSegment& other) const { return dimmed == other.dimmed && text == other.text; }
    bool operator!=(const SWindowTextSegment& other) const { return !(*this == other); }
};

} // namespace Engine
} // namespace Tavrin
