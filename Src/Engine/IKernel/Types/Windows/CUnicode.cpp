#include "Engine/IKernel/Types/CUnicode.h"

#include <windows.h>

#include <cstdlib>

namespace Tavrin {
namespace Engine {

uint16_t* utf8ToWide(const char* text, int32_t length, int32_t* units)
{
    int count = length > 0 ? MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0) : 0;
    auto* wide = static_cast<uint16_t*>(malloc((static_cast<size_t>(count) + 1) * sizeof(uint16_t)));
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, text, length, reinterpret_cast<wchar_t*>(wide), count);
    wide[count] = 0;
    *units = count;
    return wide;
}

char* wideToUtf8(const uint16_t* text, int32_t units, int32_t* length)
{
    const auto* source = reinterpret_cast<const wchar_t*>(text);
    int count = units > 0 ? WideCharToMultiByte(CP_UTF8, 0, source, units, nullptr, 0, nullptr, nullptr) : 0;
    auto* narrow = static_cast<char*>(malloc(static_cast<size_t>(count) + 1));
    if (count > 0)
        WideCharToMultiByte(CP_UTF8, 0, source, units, narrow, count, nullptr, nullptr);
    narrow[count] = '\0';
    *length = count;
    return narrow;
}

char* wcharToUtf8(const wchar_t* text, int32_t* length)
{
    return wideToUtf8(reinterpret_cast<const uint16_t*>(text), static_cast<int32_t>(wcslen(text)), length);
}

int32_t wideLength(const uint16_t* text)
{
    return text ? static_cast<int32_t>(wcslen(reinterpret_cast<const wchar_t*>(text))) : 0;
}

} // namespace Engine
} // namespace Tavrin
