#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// UTF-8 <-> UTF-16 conversion through the platform's converter. Both return a
// zero-terminated malloc'ed buffer (never null) and its length in units.
uint16_t* utf8ToWide(const char* text, int32_t length, int32_t* units);
char* wideToUtf8(const uint16_t* text, int32_t units, int32_t* length);
// The platform's wide text (UTF-16 on Windows, UTF-32 elsewhere) as UTF-8.
char* wcharToUtf8(const wchar_t* text, int32_t* length);
// Length in units of a zero-terminated 16-bit text.
int32_t wideLength(const uint16_t* text);

} // namespace Engine
} // namespace Tavrin
