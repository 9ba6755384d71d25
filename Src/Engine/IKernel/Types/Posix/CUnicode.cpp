#include "Engine/IKernel/Types/CUnicode.h"

#include <cstdlib>
#include <cwchar>

namespace Tavrin {
namespace Engine {

namespace {

const uint32_t replacementCharacter = 0xFFFD;

// Decodes one UTF-8 sequence; malformed input yields U+FFFD for one byte, as
// the Windows converter does.
uint32_t decodeOne(const unsigned char* text, int32_t remaining, int32_t* used)
{
    unsigned char lead = text[0];
    int32_t extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    *used = 1;
    if (extra < 0 || extra >= remaining)
        return extra == 0 ? lead : replacementCharacter;
    uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int32_t i = 1; i <= extra; ++i)
    {
        if ((text[i] & 0xC0) != 0x80)
            return replacementCharacter;
        code = (code << 6) | (text[i] & 0x3F);
    }
    static const uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return replacementCharacter;
    *used = extra + 1;
    return code;
}

} // namespace

uint16_t* utf8ToWide(const char* text, int32_t length, int32_t* units)
{
    // Each byte gives at most one unit, and a 4-byte sequence two.
    auto* wide = static_cast<uint16_t*>(malloc((static_cast<size_t>(length > 0 ? length : 0) + 1) * sizeof(uint16_t)));
    int32_t count = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (int32_t i = 0; i < length;)
    {
        int32_t used = 1;
        uint32_t code = decodeOne(bytes + i, length - i, &used);
        i += used;
        if (code >= 0x10000)
        {
            code -= 0x10000;
            wide[count++] = static_cast<uint16_t>(0xD800 | (code >> 10));
            wide[count++] = static_cast<uint16_t>(0xDC00 | (code & 0x3FF));
        }
        else
            wide[count++] = static_cast<uint16_t>(code);
    }
    wide[count] = 0;
    *units = count;
    return wide;
}

// Appends one code point; returns the new length.
static int32_t encodeUtf8(uint32_t code, char* out, int32_t count)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = replacementCharacter;
    if (code < 0x80)
        out[count++] = static_cast<char>(code);
    else if (code < 0x800)
    {
        out[count++] = static_cast<char>(0xC0 | (code >> 6));
        out[count++] = static_cast<char>(0x80 | (code & 0x3F));
    }
    else if (code < 0x10000)
    {
        out[count++] = static_cast<char>(0xE0 | (code >> 12));
        out[count++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[count++] = static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
        out[count++] = static_cast<char>(0xF0 | (code >> 18));
        out[count++] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out[count++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[count++] = static_cast<char>(0x80 | (code & 0x3F));
    }
    return count;
}

char* wideToUtf8(const uint16_t* text, int32_t units, int32_t* length)
{
    // A unit gives at most three bytes; a surrogate pair (two units) four.
    auto* narrow = static_cast<char*>(malloc(static_cast<size_t>(units > 0 ? units : 0) * 3 + 1));
    int32_t count = 0;
    for (int32_t i = 0; i < units; ++i)
    {
        uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        count = encodeUtf8(code, narrow, count);
    }
    narrow[count] = '\0';
    *length = count;
    return narrow;
}

char* wcharToUtf8(const wchar_t* text, int32_t* length)
{
    size_t units = wcslen(text);
    auto* narrow = static_cast<char*>(malloc(units * 4 + 1));
    int32_t count = 0;
    for (size_t i = 0; i < units; ++i)
        count = encodeUtf8(static_cast<uint32_t>(text[i]), narrow, count);
    narrow[count] = '\0';
    *length = count;
    return narrow;
}

int32_t wideLength(const uint16_t* text)
{
    int32_t length = 0;
    while (text && text[length])
        ++length;
    return length;
}

} // namespace Engine
} // namespace Tavrin
