#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A reference-counted byte stream with a cursor. Values travel as their
// little-endian bytes; a CString as a signed 32-bit byte count and the bytes.
// Short reads are not errors: reads return what was transferred.
class CStream : public CManaged
{
public:
    static constexpr uint32_t C_ACCESS_READ = 1;
    static constexpr uint32_t C_ACCESS_WRITE = 2;
    static constexpr uint32_t C_ACCESS_READ_WRITE = 3;

    static constexpr uint32_t C_SEEK_BEGIN = 0;
    static constexpr uint32_t C_SEEK_END = 1;
    static constexpr uint32_t C_SEEK_CURRENT = 2;

    explicit CStream(uint32_t access) : m_access(access) {}

    virtual uint64_t getSize() = 0;
    virtual uint64_t getPosition() = 0;
    // Moves to an absolute offset; returns the new position.
    virtual uint64_t setPosition(uint64_t offset) = 0;
    virtual uint64_t seek(uint32_t origin, int64_t offset) = 0;
    // Whether the cursor can move, and whether getSize is meaningful.
    virtual bool canSeek() = 0;
    virtual bool hasSize() = 0;
    // Pushes buffered output down.
    virtual void flush() {}
    // Releases the underlying resource.
    virtual void close() {}

    // Each write returns the bytes written.
    virtual uint64_t write(double value);
    virtual uint64_t write(float value);
    virtual uint64_t write(bool value);
    virtual uint64_t write(const CString& text);
    virtual uint64_t write(const void* data, uint64_t count) = 0;
    virtual uint64_t write(int64_t value);
    virtual uint64_t write(uint64_t value);
    virtual uint64_t write(int32_t value);
    virtual uint64_t write(uint32_t value);
    virtual uint64_t write(int16_t value);
    virtual uint64_t write(uint16_t value);
    virtual uint64_t write(int8_t value);
    virtual uint64_t write(uint8_t value);
    // A literal would otherwise choose the bool overload.
    uint64_t write(const char* text) { return write(CString(text)); }

    // Typed reads past the end return the bytes that were there, zero-filled.
    virtual int8_t readInt8();
    virtual uint8_t readUInt8();
    virtual int16_t readInt16();
    virtual uint16_t readUInt16();
    virtual int32_t readInt32();
    virtual uint32_t readUInt32();
    virtual int64_t readInt64();
    virtual uint64_t readUInt64();
    // Never allocates more than the stream actually delivers.
    virtual void read(CString& text);
    virtual uint64_t read(void* buffer, uint64_t count) = 0;
    virtual bool readBool();
    virtual float readFloat();
    virtual double readDouble();

    // Appends the rest of the stream; returns the bytes appended.
    virtual uint64_t readAll(CArray<unsigned char>& out, uint32_t bufferSize);
    // The same into a new array that the caller deletes.
    virtual CArray<unsigned char>* readAll(uint32_t bufferSize);

    uint32_t getAccess() const { return m_access; }
    bool isReadable() const { return (m_access & C_ACCESS_READ) != 0; }
    bool isWritable() const { return (m_access & C_ACCESS_WRITE) != 0; }

protected:
    ~CStream() override = default;

    uint32_t m_access;

private:
    template <typename T>
    T _readValue();
    uint64_t _readAll(CArray<unsigned char>& out, uint32_t bufferSize, uint64_t* asked);
};

} // namespace Engine
} // namespace Tavrin
