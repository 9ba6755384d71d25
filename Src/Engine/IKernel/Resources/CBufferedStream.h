#pragma once

#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/CStream.h"
#include "Engine/IKernel/Resources/CStreamFailure.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

// Puts a 5120-byte buffer in front of another stream: small reads and writes
// become whole-buffer transfers, and moves inside the buffer stay inside it.
class CBufferedStream final : public CStream
{
public:
    using CStream::read;
    using CStream::write;

    static constexpr uint32_t C_BUFFER_SIZE = 5120;

    // Takes a reference to the inner stream and reads the first buffer.
    explicit CBufferedStream(CStream* inner);

    uint64_t getSize() override;
    uint64_t getPosition() override { return m_bufferOffset + m_cursor; }
    uint64_t setPosition(uint64_t offset) override;
    uint64_t seek(uint32_t origin, int64_t offset) override;
    bool canSeek() override { return m_inner->canSeek(); }
    bool hasSize() override { return m_inner->hasSize(); }
    // Writes the changed part of the buffer to the inner stream. Once that
    // failed, this and every later write and close throw the same exception.
    void flush() override;
    // Flushes: what the buffer still holds must not be lost unseen later.
    void close() override { flush(); }

    uint64_t write(const void* data, uint64_t count) override;
    // Inline for the common case, a read inside the buffer: byte-wise parsers
    // call this once per byte.
    uint64_t read(void* buffer, uint64_t count) override
    {
        if (m_cursor + count > m_valid || !isReadable())
            return _readAcross(buffer, count);
        if (count == 1)
            *static_cast<unsigned char*>(buffer) = m_buffer[m_cursor];
        else
            memcpy(buffer, m_buffer + m_cursor, static_cast<size_t>(count));
        m_cursor += count;
        return count;
    }

protected:
    ~CBufferedStream() override;

private:
    uint64_t _readAcross(void* buffer, uint64_t count);
    uint64_t _innerPosition();
    void _fill();
    void _advance();
    void _writeDirty();

    CManagedPtr<CStream> m_inner;
    unsigned char* m_buffer;
    uint64_t m_cursor;
    uint64_t m_bufferOffset;
    uint32_t m_bufferCapacity;
    uint64_t m_valid;
    uint64_t m_dirtyEnd;
    uint64_t m_dirtyStart;
    bool m_dirty;
    CStreamFailure m_failure;
};

} // namespace Engine
} // namespace Tavrin
