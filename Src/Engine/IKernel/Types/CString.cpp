#include "Engine/IKernel/Types/CString.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Types/CUnicode.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

// 215 (multiplication sign) and 247 (division sign) sit inside the Latin-1
// letter ranges but have no case.
constexpr unsigned char lowerOf(int c)
{
    return static_cast<unsigned char>(((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 222 && c != 215)) ? c + 32 : c);
}

constexpr unsigned char upperOf(int c)
{
    return static_cast<unsigned char>(((c >= 'a' && c <= 'z') || (c >= 224 && c <= 254 && c != 247)) ? c - 32 : c);
}

char* copyBytes(const char* bytes, int32_t length)
{
    size_t size = length > 0 ? static_cast<size_t>(length) : 0;
    char* buffer = static_cast<char*>(malloc(size + 1));
    memcpy(buffer, bytes, size);
    buffer[size] = '\0';
    return buffer;
}

int32_t textLength(const char* text)
{
    size_t length = strlen(text);
    return length > INT32_MAX ? INT32_MAX : static_cast<int32_t>(length);
}

} // namespace

// Constant-initialised, so usable by any static constructor.
#define TAVRIN_ROW(f, r) f(r), f(r + 1), f(r + 2), f(r + 3), f(r + 4), f(r + 5), f(r + 6), f(r + 7)
#define TAVRIN_ROWS(f, r) TAVRIN_ROW(f, r), TAVRIN_ROW(f, r + 8), TAVRIN_ROW(f, r + 16), TAVRIN_ROW(f, r + 24)
#define TAVRIN_TABLE(f) TAVRIN_ROWS(f, 0), TAVRIN_ROWS(f, 32), TAVRIN_ROWS(f, 64), TAVRIN_ROWS(f, 96), \
    TAVRIN_ROWS(f, 128), TAVRIN_ROWS(f, 160), TAVRIN_ROWS(f, 192), TAVRIN_ROWS(f, 224)
const unsigned char CString::s_lowerCaseTable[256] = {TAVRIN_TABLE(lowerOf)};
const unsigned char CString::s_upperCaseTable[256] = {TAVRIN_TABLE(upperOf)};
#undef TAVRIN_TABLE
#undef TAVRIN_ROWS
#undef TAVRIN_ROW

const CString& CString::empty()
{
    // Constant-initialised (no buffer), so valid before any other static object.
    static const CString instance;
    return instance;
}

CString::CString(const char* text, uint32_t utf8) : m_utf8(utf8)
{
    if (text)
        _assign(text, textLength(text));
}

CString::CString(const CString& other) : m_utf8(other.m_utf8)
{
    if (other.m_length > 0)
        _assign(other.m_data, other.m_length);
}

CString::CString(CString&& other) noexcept : m_data(other.m_data), m_length(other.m_length), m_utf8(other.m_utf8)
{
    other.m_data = nullptr;
    other.m_length = 0;
}

CString::~CString()
{
    free(m_data);
}

void CString::_free()
{
    free(m_data);
    m_data = nullptr;
    m_length = 0;
}

void CString::_assign(const char* text, int32_t length)
{
    m_data = copyBytes(text, length);
    m_length = length;
}

CString CString::_fromBytes(const char* bytes, int32_t length, uint32_t utf8)
{
    CString result;
    result._assign(bytes, length);
    result.m_utf8 = utf8;
    return result;
}

void CString::adopt(char* buffer, int32_t length)
{
    _free();
    m_data = buffer;
    m_length = buffer ? length : 0;
}

CString& CString::operator=(const char* text)
{
    if (text && text == m_data)
        return *this;
    if (!text)
    {
        _free();
        return *this;
    }
    // The text may lie inside our own buffer: copy it before freeing.
    int32_t length = textLength(text);
    char* copy = copyBytes(text, length);
    free(m_data);
    m_data = copy;
    m_length = length;
    m_utf8 = 0;
    return *this;
}

CString& CString::operator=(const CString& other)
{
    if (this == &other)
        return *this;
    _free();
    if (other.m_length < 1)
        return *this;
    _assign(other.m_data, other.m_length);
    m_utf8 = other.m_utf8;
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other)
    {
        free(m_data);
        m_data = other.m_data;
        m_length = other.m_length;
        m_utf8 = other.m_utf8;
        other.m_data = nullptr;
        other.m_length = 0;
    }
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (!text)
        return *this;
    if (m_length == 0)
    {
        uint32_t utf8 = m_utf8;
        *this = text;
        m_utf8 = utf8;
        return *this;
    }
    int32_t added = textLength(text);
    // The text may be our own buffer: measure before reallocating.
    char* buffer = static_cast<char*>(malloc(static_cast<size_t>(m_length) + static_cast<size_t>(added) + 1));
    memcpy(buffer, m_data, static_cast<size_t>(m_length));
    memcpy(buffer + m_length, text, static_cast<size_t>(added));
    buffer[m_length + added] = '\0';
    free(m_data);
    m_data = buffer;
    m_length += added;
    return *this;
}

CString operator+(const CString& left, const char* right)
{
    if (!right)
        return left;
    if (left.m_length == 0)
        return CString(right);
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, const CString& right)
{
    return left + right.m_data;
}

CString operator+(const char* left, const CString& right)
{
    return CString(left) + right.m_data;
}

CString& CString::format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatList(format, args);
    va_end(args);
    return *this;
}

CString& CString::formatList(const char* format, va_list args)
{
    // The arguments may point into our own text: the old buffer is freed
    // only once the new text is written.
    char* buffer = nullptr;
    int length = 0;
    if (format)
    {
        va_list measure;
        va_copy(measure, args);
        length = vsnprintf(nullptr, 0, format, measure);
        va_end(measure);
    }
    // A runtime formatting error (negative length) leaves the empty string.
    if (length > 0)
    {
        buffer = static_cast<char*>(malloc(static_cast<size_t>(length) + 2));
        if (vsnprintf(buffer, static_cast<size_t>(length) + 1, format, args) != length)
        {
            free(buffer);
            buffer = nullptr;
        }
    }
    free(m_data);
    m_data = buffer;
    m_length = buffer ? length : 0;
    return *this;
}

CString CString::left(int32_t n) const
{
    if (m_length == 0)
        return empty();
    if (n > 0)
        return _fromBytes(m_data, n < m_length ? n : m_length, m_utf8);
    // Widen before negating: -INT32_MIN does not fit 32 bits.
    int64_t wanted = -static_cast<int64_t>(n);
    int32_t count = wanted < m_length ? static_cast<int32_t>(wanted) : m_length;
    return _fromBytes(m_data + m_length - count, count, m_utf8);
}

CString CString::subString(int32_t first, int32_t last) const
{
    if (first < 0 || last >= m_length)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Argument is not in string range\n", "Engine/IKernel/Types/CString", 410);
    if (m_length == 0 || last < first)
        return empty();
    return _fromBytes(m_data + first, last - first + 1, m_utf8);
}

CString CString::toLower() const
{
    if (m_length == 0)
        return empty();
    CString result = _fromBytes(m_data, m_length, m_utf8);
    for (int32_t i = 0; i < m_length; ++i)
        result.m_data[i] = static_cast<char>(s_lowerCaseTable[static_cast<unsigned char>(m_data[i])]);
    return result;
}

uint16_t* CString::toWide(int32_t* length) const
{
    int32_t units = 0;
    uint16_t* wide = nullptr;
    if (m_utf8)
        wide = utf8ToWide(m_data, m_length, &units);
    else
    {
        wide = static_cast<uint16_t*>(malloc((static_cast<size_t>(m_length) + 1) * sizeof(uint16_t)));
        for (int32_t i = 0; i < m_length; ++i)
            wide[i] = static_cast<unsigned char>(m_data[i]);
        wide[m_length] = 0;
        units = m_length;
    }
    if (length)
        *length = units;
    return wide;
}

int32_t CString::find(const CString& needle, int32_t start) const
{
    // A negative start would read before the text: search from the beginning.
    if (start < 0)
        start = 0;
    if (m_length == 0 || needle.m_length == 0 || start >= m_length || needle.m_length > m_length)
        return -1;
    for (int32_t p = start; p < m_length; ++p)
    {
        int32_t i = 0;
        // The haystack's terminator never matches a needle byte, which ends
        // a candidate at the end of the text at the latest.
        while (i < needle.m_length &&
               s_upperCaseTable[static_cast<unsigned char>(m_data[p + i])] ==
                   s_upperCaseTable[static_cast<unsigned char>(needle.m_data[i])] &&
               m_data[p + i] != '\0')
            ++i;
        if (i == needle.m_length)
            return p;
    }
    return -1;
}

CString CString::replace(const CString& what, const CString& with) const
{
    if (m_length == 0 || what.m_length == 0)
        return *this;
    CString result;
    int32_t prev = 0;
    for (int32_t p = find(what, 0); p != -1; p = find(what, prev))
    {
        result += subString(prev, p - 1);
        result += with;
        prev = p + what.m_length;
    }
    result += subString(prev, m_length - 1);
    return result;
}

bool CString::operator==(const CString& other) const
{
    return m_length == other.m_length && (m_length == 0 || memcmp(m_data, other.m_data, static_cast<size_t>(m_length)) == 0);
}

} // namespace Engine
} // namespace Tavrin
