#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The process-wide name dictionary: name IDs back to the text they came from.
// Usable at any time (no install needed) and from any thread.

// The name ID of a text (case-insensitive name hash; 0 for null or empty),
// storing the text unless the ID already has one: the first text stays.
uint32_t internName(const char* text);
uint32_t internName(const CString& text);
// A copy of the stored text; empty for 0, 0xFFFFFFFF and unknown IDs.
CString nameText(uint32_t nameId);
// Forgets every text (the kernel uninstall); IDs interned later store anew.
void clearNameDictionary();

} // namespace Engine
} // namespace Tavrin
