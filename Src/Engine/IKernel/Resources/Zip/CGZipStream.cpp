#include "Engine/IKernel/Resources/Zip/CGZipStream.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <cstdlib>
#include <zlib.h>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/Zip/CGZipStream";
// Window bits 15 plus 16: the gzip wrapper instead of zlib's own.
const int C_GZIP_WINDOW_BITS = 31;
// The flush value used for the last call once the input has run dry.
const int C_LAST_FLUSH = 3;

voidpf heapAllocate(voidpf, uInt items, uInt size)
{
    return calloc(items, size);
}

void heapFree(voidpf, voidpf address)
{
    free(address);
}

} // namespace

CGZipStream::CGZipStream(CStream* inner) : CGZipStream(inner, C_GZIP_DECOMPRESS, -1)
{
}

CGZipStream::CGZipStream(CStream* inner, uint32_t mode, int32_t level)
    : CStream(mode == C_GZIP_COMPRESS ? C_ACCESS_WRITE : C_ACCESS_READ), m_state(nullptr), m_inner(inner),
      m_level(level), m_mode(mode), m_closed(0), m_live(false), m_finished(false)
{
    bool usable = inner && (mode == C_GZIP_COMPRESS ? inner->isWritable() : inner->isReadable());
    if (!usable)
        TAVRIN_THROW_AT(CInternalErrorException, "Invalid compression and stream access combination!\n", C_FILE, 80);
    _initialise();
}

void CGZipStream::_initialise()
{
    int memoryLevel = 8;
    if (m_level == 0)
        memoryLevel = 7;
    else if (m_level != -1 && m_level != 1 && m_level != 9)
        TAVRIN_THROW_AT(CInvalidOperationException, "Invalid compression level!\n", C_FILE, 119);
    m_state = static_cast<z_stream_s*>(calloc(1, sizeof(z_stream)));
    if (!m_state)
        TAVRIN_THROW(CInternalErrorException, "Failed to allocate memory!\n", C_FILE);
    m_state->zalloc = heapAllocate;
    m_state->zfree = heapFree;
    int result = m_mode == C_GZIP_DECOMPRESS
                     ? inflateInit2_(m_state, C_GZIP_WINDOW_BITS, "1.2.8", static_cast<int>(sizeof(z_stream)))
                     : deflateInit2_(m_state, m_level, Z_DEFLATED, C_GZIP_WINDOW_BITS, memoryLevel, Z_DEFAULT_STRATEGY,
                                     "1.2.8", static_cast<int>(sizeof(z_stream)));
    m_live = result == Z_OK;
    if (!m_live)
    {
        // Reads and writes then move nothing.
        log("Warning: CGZipStream could not start zlib (%d)\n", result);
        m_finished = true;
    }
}

CGZipStream::~CGZipStream()
{
    if (!m_closed)
    {
        try
        {
            close();
        }
        catch (...)
        {
            // Already reported by the throw; a destructor cannot pass it on.
        }
    }
    _end();
    free(m_state);
}

uint64_t CGZipStream::getSize()
{
    log("Warning: CGZipStream::getSize() is unsupported!\n");
    return 0;
}

uint64_t CGZipStream::getPosition()
{
    log("Warning: CGZipStream::getPosition() is unsupported!\n");
    return 0;
}

uint64_t CGZipStream::setPosition(uint64_t)
{
    log("Warning: CGZipStream::setPosition() is unsupported!\n");
    return 0;
}

uint64_t CGZipStream::seek(uint32_t, int64_t)
{
    log("Warning: CGZipStream::seek() is unsupported!\n");
    return 0;
}

void CGZipStream::_end()
{
    if (!m_live)
        return;
    m_live = false;
    if (m_mode == C_GZIP_COMPRESS)
        deflateEnd(m_state);
    else
        inflateEnd(m_state);
}

void CGZipStream::_deflate(int flush)
{
    int result;
    do
    {
        m_state->next_out = m_buffer;
        m_state->avail_out = C_BUFFER_SIZE;
        result = deflate(m_state, flush);
        uint32_t produced = C_BUFFER_SIZE - m_state->avail_out;
        if (produced && m_inner->write(m_buffer, produced) < produced)
            TAVRIN_THROW(CInvalidOperationException, "Compressed data could not be written!\n", C_FILE);
        // A full buffer may hide more output; anything else ends the call.
    } while (m_state->avail_out == 0 && result == Z_OK);
}

// A gap in the compressed data spoils everything after it: the stream takes
// nothing more, and every later call tells the caller of the loss.
void CGZipStream::_fail()
{
    _end();
    m_failure.record();
}

uint64_t CGZipStream::write(const void* data, uint64_t count)
{
    if (m_mode == C_GZIP_DECOMPRESS)
        TAVRIN_THROW_AT(CInternalErrorException, "Invalid compression mode, must be set to C_GZIP_COMPRESS!\n", C_FILE, 270);
    m_failure.raise();
    if (!data || count == 0)
        return 0;
    if (m_closed)
        TAVRIN_THROW_AT(CInvalidOperationException, "Stream is closed!\n", C_FILE, 277);
    if (!m_live)
        return 0;
    const Bytef* source = static_cast<const Bytef*>(data);
    uint64_t consumed = 0;
    try
    {
        while (consumed < count)
        {
            uInt piece = static_cast<uInt>(count - consumed < 0xFFFFFFFFull ? count - consumed : 0xFFFFFFFFull);
            m_state->next_in = const_cast<Bytef*>(source + consumed);
            m_state->avail_in = piece;
            _deflate(Z_NO_FLUSH);
            consumed += piece - m_state->avail_in;
            if (m_state->avail_in != 0)
                break;
        }
    }
    catch (...)
    {
        _fail();
        throw;
    }
    m_state->next_in = nullptr;
    m_state->avail_in = 0;
    return consumed;
}

bool CGZipStream::_refill()
{
    uint64_t got = m_inner->read(m_buffer, C_BUFFER_SIZE);
    m_state->next_in = m_buffer;
    m_state->avail_in = static_cast<uInt>(got);
    return got > 0;
}

uint32_t CGZipStream::_inflate(unsigned char* target, uint32_t room)
{
    m_state->next_out = target;
    m_state->avail_out = room;
    while (m_state->avail_out > 0)
    {
        if (m_state->avail_in == 0 && !_refill())
        {
            // Output held back by an earlier full buffer may still come.
            int result = inflate(m_state, C_LAST_FLUSH);
            if (result == Z_STREAM_END || m_state->avail_out > 0)
                m_finished = true;
            break;
        }
        int result = inflate(m_state, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
        {
            // gzip allows several members one after another: go on with the next.
            if (m_state->avail_in == 0 && !_refill())
            {
                m_finished = true;
                break;
            }
            inflateReset(m_state);
            continue;
        }
        if (result != Z_OK)
        {
            // Damaged data: keep what was decoded, decode nothing more.
            m_finished = true;
            break;
        }
    }
    return room - m_state->avail_out;
}

uint64_t CGZipStream::read(void* buffer, uint64_t count)
{
    if (m_mode == C_GZIP_COMPRESS)
        TAVRIN_THROW_AT(CInternalErrorException, "Invalid compression mode, must be set to C_GZIP_DECOMPRESS!\n", C_FILE, 417);
    if (count == 0 || !m_inner)
        return 0;
    if (m_closed)
        TAVRIN_THROW_AT(CInvalidOperationException, "Stream is closed!\n", C_FILE, 424);
    unsigned char* target = static_cast<unsigned char*>(buffer);
    uint64_t total = 0;
    while (total < count && !m_finished)
    {
        uint32_t room = static_cast<uint32_t>(count - total < 0xFFFFFFFFull ? count - total : 0xFFFFFFFFull);
        uint32_t got = _inflate(target + total, room);
        total += got;
        if (got < room)
            break;
    }
    return total;
}

void CGZipStream::flush()
{
    m_failure.raise();
}

void CGZipStream::close()
{
    m_failure.raise();
    if (m_closed)
        TAVRIN_THROW_AT(CInvalidOperationException, "Stream is already closed!\n", C_FILE, 486);
    m_closed = 1;
    if (m_live && m_mode == C_GZIP_COMPRESS)
    {
        try
        {
            m_state->next_in = nullptr;
            m_state->avail_in = 0;
            _deflate(Z_FINISH);
            // The trailer may wait in a buffered inner stream: the data is
            // whole only once it is down.
            m_inner->flush();
        }
        catch (...)
        {
            _fail();
            throw;
        }
    }
    _end();
}

} // namespace Engine
} // namespace Tavrin
