#pragma once

#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/CStream.h"
#include "Engine/IKernel/Resources/CStreamFailure.h"

struct z_stream_s;

namespace Tavrin {
namespace Engine {

// Compresses into, or decompresses from, another stream in the gzip format.
// It has no size and no position. Damaged or cut compressed data ends the
// data early: reads return what could be decoded.
class CGZipStream : public CStream
{
public:
    using CStream::read;
    using CStream::write;

    static constexpr uint32_t C_GZIP_COMPRESS = 0;
    static constexpr uint32_t C_GZIP_DECOMPRESS = 1;
    static constexpr uint32_t C_BUFFER_SIZE = 8192;

    // Decompresses a readable stream.
    explicit CGZipStream(CStream* inner);
    // Level -1 (zlib's default), 0, 1 or 9; compressing needs a writable inner stream.
    CGZipStream(CStream* inner, uint32_t mode, int32_t level = -1);

    uint64_t getSize() override;
    uint64_t getPosition() override;
    uint64_t setPosition(uint64_t offset) override;
    uint64_t seek(uint32_t origin, int64_t offset) override;
    bool canSeek() override { return false; }
    bool hasSize() override { return false; }
    // Pushes nothing down; reports an earlier failure to write.
    void flush() override;
    // Ends the compressed data (compressing), flushes the inner stream and
    // frees zlib's state. Once a write to the inner stream failed, this and
    // every later write and flush throw that same exception.
    void close() override;

    uint64_t write(const void* data, uint64_t count) override;
    uint64_t read(void* buffer, uint64_t count) override;

    uint32_t getMode() const { return m_mode; }
    int32_t getLevel() const { return m_level; }
    bool isClosed() const { return m_closed != 0; }

protected:
    ~CGZipStream() override;

private:
    void _initialise();
    bool _refill();
    uint32_t _inflate(unsigned char* target, uint32_t room);
    void _deflate(int flush);
    void _end();
    void _fail();

    z_stream_s* m_state;
    CManagedPtr<CStream> m_inner;
    int32_t m_level;
    uint32_t m_mode;
    unsigned char m_buffer[C_BUFFER_SIZE];
    uint8_t m_closed;
    // zlib's state is live (initialised and not yet ended).
    bool m_live;
    // Nothing more can be decoded: the data ended, was cut or is damaged.
    bool m_finished;
    CStreamFailure m_failure;
};

} // namespace Engine
} // namespace Tavrin
