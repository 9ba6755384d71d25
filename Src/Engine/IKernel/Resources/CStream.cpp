#include "Engine/IKernel/Resources/CStream.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/CStream";

// A string's count comes from the data: memory is given out as text arrives.
const uint32_t C_STRING_PIECE = 4096;

} // namespace

uint64_t CStream::write(double value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(float value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(bool value)
{
    uint8_t byte = value ? 1 : 0;
    return write(&byte, 1);
}

uint64_t CStream::write(const CString& text)
{
    int32_t length = text.getLength();
    uint64_t written = write(length);
    if (length > 0)
        written += write(text.getData(), static_cast<uint64_t>(length));
    return written;
}

uint64_t CStream::write(int64_t value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(uint64_t value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(int32_t value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(uint32_t value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(int16_t value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(uint16_t value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(int8_t value)
{
    return write(&value, sizeof(value));
}

uint64_t CStream::write(uint8_t value)
{
    return write(&value, sizeof(value));
}

template <typename T>
T CStream::_readValue()
{
    T value;
    memset(&value, 0, sizeof(value));
    read(&value, sizeof(value));
    return value;
}

int8_t CStream::readInt8()
{
    return _readValue<int8_t>();
}

uint8_t CStream::readUInt8()
{
    return _readValue<uint8_t>();
}

int16_t CStream::readInt16()
{
    return _readValue<int16_t>();
}

uint16_t CStream::readUInt16()
{
    return _readValue<uint16_t>();
}

int32_t CStream::readInt32()
{
    return _readValue<int32_t>();
}

uint32_t CStream::readUInt32()
{
    return _readValue<uint32_t>();
}

int64_t CStream::readInt64()
{
    return _readValue<int64_t>();
}

uint64_t CStream::readUInt64()
{
    return _readValue<uint64_t>();
}

bool CStream::readBool()
{
    return _readValue<uint8_t>() != 0;
}

float CStream::readFloat()
{
    return _readValue<float>();
}

double CStream::readDouble()
{
    return _readValue<double>();
}

void CStream::read(CString& text)
{
    int32_t count = readInt32();
    if (count <= 0)
    {
        text = CString();
        return;
    }
    // A corrupt count must not reserve gigabytes for a few bytes: the buffer
    // grows by doubling as the bytes actually come.
    uint32_t wanted = static_cast<uint32_t>(count);
    uint32_t size = 0;
    char* buffer = nullptr;
    while (size < wanted)
    {
        uint32_t piece = wanted - size;
        uint32_t limit = size > C_STRING_PIECE ? size : C_STRING_PIECE;
        if (piece > limit)
            piece = limit;
        char* grown = static_cast<char*>(realloc(buffer, static_cast<size_t>(size) + piece + 1));
        if (!grown)
            break;
        buffer = grown;
        uint64_t got = read(buffer + size, piece);
        size += static_cast<uint32_t>(got);
        if (got < piece)
            break;
    }
    size_t length = 0;
    if (buffer)
    {
        buffer[size] = '\0';
        // The text ends at its first zero byte.
        length = strlen(buffer);
    }
    if (length == 0)
    {
        free(buffer);
        text = CString();
        return;
    }
    text.adopt(buffer, static_cast<int32_t>(length));
    text.setUTF8(0);
}

uint64_t CStream::_readAll(CArray<unsigned char>& out, uint32_t bufferSize, uint64_t* asked)
{
    uint64_t start = out.getCount();
    if (canSeek() && hasSize())
    {
        uint64_t size = getSize();
        uint64_t position = getPosition();
        uint64_t wanted = size > position ? size - position : 0;
        *asked = wanted;
        if (wanted == 0)
            return 0;
        out.setCount(start + wanted);
        uint64_t got = read(out.getData() + start, wanted);
        // Bytes that never came are not data.
        out.setCount(start + got);
        return got;
    }
    unsigned char* buffer = static_cast<unsigned char*>(malloc(bufferSize));
    if (!buffer)
        TAVRIN_THROW(CInternalErrorException, "Failed to allocate memory!\n", C_FILE);
    uint64_t total = 0;
    for (;;)
    {
        uint64_t got = read(buffer, bufferSize);
        out.setCount(start + total + got);
        memcpy(out.getData() + start + total, buffer, static_cast<size_t>(got));
        total += got;
        if (static_cast<uint32_t>(got) != bufferSize)
            break;
    }
    free(buffer);
    *asked = total;
    return total;
}

uint64_t CStream::readAll(CArray<unsigned char>& out, uint32_t bufferSize)
{
    if (bufferSize == 0)
        TAVRIN_THROW_AT(CInvalidArgumentException, "bufferSize must be > 0\n", C_FILE, 63);
    uint64_t asked = 0;
    return _readAll(out, bufferSize, &asked);
}

CArray<unsigned char>* CStream::readAll(uint32_t bufferSize)
{
    if (bufferSize == 0)
        TAVRIN_THROW_AT(CInvalidArgumentException, "bufferSize must be > 0\n", C_FILE, 23);
    CArray<unsigned char>* array = new CArray<unsigned char>();
    uint64_t asked = 0;
    uint64_t got = 0;
    try
    {
        got = _readAll(*array, bufferSize, &asked);
    }
    catch (...)
    {
        delete array;
        throw;
    }
    if (got < asked)
        log("Warning: Asked stream for %llu bytes and read %llu.\n", static_cast<unsigned long long>(asked),
            static_cast<unsigned long long>(got));
    return array;
}

} // namespace Engine
} // namespace Tavrin
