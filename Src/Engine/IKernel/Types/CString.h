#pragma once

#include <cstdarg>
#include <cstdint>

namespace Tavrin {
namespace Engine {

// 8-bit, zero-terminated text owning an exactly sized C-heap buffer.
// A null data pointer stands for the empty text.
class CString
{
public:
    // Case tables indexed by a byte's unsigned value (ASCII and Latin-1 letters).
    static const unsigned char s_lowerCaseTable[256];
    static const unsigned char s_upperCaseTable[256];
    // The process-wide empty string copied whenever an operation yields nothing.
    static const CString& empty();

    CString() = default;
    CString(const char* text, uint32_t utf8 = 0);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const char* text);
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator+=(const char* text);
    CString& operator+=(const CString& other) { return *this += other.m_data; }

    friend CString operator+(const CString& left, const char* right);
    friend CString operator+(const CString& left, const CString& right);
    friend CString operator+(const char* left, const CString& right);

    // printf-style formatting; a failed format leaves the empty string.
    CString& format(const char* format, ...);
    CString& formatList(const char* format, va_list args);

    CString left(int32_t n) const;
    CString subString(int32_t first, int32_t last) const;
    CString toLower() const;
    // Zero-terminated 16-bit text; the caller frees it with free(). Its length
    // (in units, terminator excluded) is stored in *length when given.
    uint16_t* toWide(int32_t* length = nullptr) const;
    int32_t find(const CString& needle, int32_t start = 0) const;
    CString replace(const CString& what, const CString& with) const;

    // Takes ownership of a malloc'ed zero-terminated buffer of `length` bytes.
    void adopt(char* buffer, int32_t length);

    const char* getData() const { return m_data; }
    // Never null: convenient for printf-style calls.
    const char* c_str() const { return m_data ? m_data : ""; }
    int32_t getLength() const { return m_length; }
    bool isEmpty() const { return m_length == 0; }
    uint32_t getUTF8() const { return m_utf8; }
    void setUTF8(uint32_t utf8) { m_utf8 = utf8; }

    bool operator==(const CString& other) const;
    bool operator!=(const CString& other) const { return !(*this == other); }
    char operator[](int32_t index) const { return m_data[index]; }

private:
    void _assign(const char* text, int32_t length);
    void _free();
    static CString _fromBytes(const char* bytes, int32_t length, uint32_t utf8);

    char* m_data = nullptr;
    int32_t m_length = 0;
    uint32_t m_utf8 = 0;
};

} // namespace Engine
} // namespace Tavrin
