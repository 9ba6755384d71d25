#include "Engine/IKernel/Resources/CBufferedStream.h"

#include "Engine/IKernel/CException.h"

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/CBufferedStream";

} // namespace

CBufferedStream::CBufferedStream(CStream* inner)
    : CStream(inner->getAccess()), m_inner(inner), m_buffer(static_cast<unsigned char*>(malloc(C_BUFFER_SIZE))),
      m_cursor(0), m_bufferOffset(0), m_bufferCapacity(C_BUFFER_SIZE), m_valid(0), m_dirtyEnd(0), m_dirtyStart(0),
      m_dirty(false)
{
    if (!m_buffer)
        TAVRIN_THROW(CInternalErrorException, "Failed to allocate memory!\n", C_FILE);
    _fill();
}

CBufferedStream::~CBufferedStream()
{
    try
    {
        if (!m_failure.hasFailed())
            flush();
    }
    catch (...)
    {
        // Already reported by the throw; a destructor cannot pass it on.
    }
    free(m_buffer);
}

// A stream that cannot seek (a gzip stream) is only ever read or written in
// order; its position is where the buffer left it.
uint64_t CBufferedStream::_innerPosition()
{
    return m_inner->canSeek() ? m_inner->getPosition() : m_bufferOffset + m_valid;
}

void CBufferedStream::_fill()
{
    uint64_t position = _innerPosition();
    // A write-only buffer holds zeros, not the inner data, around what was
    // written: moving inside it while changes wait would write those zeros.
    bool keep = isReadable() || !m_dirty;
    if (keep && position >= m_bufferOffset && position < m_bufferOffset + m_valid)
    {
        m_cursor = position - m_bufferOffset;
        return;
    }
    flush();
    m_bufferOffset = position;
    if (isReadable())
        m_valid = m_inner->read(m_buffer, m_bufferCapacity);
    else
    {
        memset(m_buffer, 0, m_bufferCapacity);
        m_valid = m_bufferCapacity;
    }
    m_cursor = 0;
}

// The buffer is used up: continue with the inner data after it.
void CBufferedStream::_advance()
{
    flush();
    if (m_inner->canSeek())
        m_inner->setPosition(m_bufferOffset + m_valid);
    _fill();
}

uint64_t CBufferedStream::_readAcross(void* buffer, uint64_t count)
{
    if (!isReadable())
    {
        memset(buffer, 0, static_cast<size_t>(count));
        return 0;
    }
    unsigned char* target = static_cast<unsigned char*>(buffer);
    uint64_t done = 0;
    while (done < count)
    {
        uint64_t piece = count - done < m_valid - m_cursor ? count - done : m_valid - m_cursor;
        memcpy(target + done, m_buffer + m_cursor, static_cast<size_t>(piece));
        m_cursor += piece;
        done += piece;
        if (m_cursor == m_valid)
        {
            _advance();
            if (m_valid == 0)
                break;
        }
    }
    return done;
}

uint64_t CBufferedStream::write(const void* data, uint64_t count)
{
    m_failure.raise();
    if (!isWritable() || count == 0)
        return 0;
    const unsigned char* source = static_cast<const unsigned char*>(data);
    uint64_t done = 0;
    while (done < count)
    {
        if (!m_dirty)
        {
            m_dirty = true;
            m_dirtyStart = m_cursor;
            m_dirtyEnd = m_cursor;
        }
        else if (m_cursor < m_dirtyStart)
            m_dirtyStart = m_cursor;
        // Writing may run past the inner data up to the buffer's end: appending
        // to a readable stream must not stop where its data stops.
        uint64_t room = m_bufferCapacity - m_cursor;
        uint64_t piece = count - done < room ? count - done : room;
        memcpy(m_buffer + m_cursor, source + done, static_cast<size_t>(piece));
        m_cursor += piece;
        done += piece;
        if (m_cursor > m_valid)
            m_valid = m_cursor;
        if (m_cursor > m_dirtyEnd)
            m_dirtyEnd = m_cursor;
        if (m_cursor == m_bufferCapacity)
            _advance();
    }
    return done;
}

void CBufferedStream::flush()
{
    m_failure.raise();
    if (isWritable() && m_dirty && m_dirtyEnd > m_dirtyStart)
    {
        try
        {
            _writeDirty();
        }
        catch (...)
        {
            // The buffer's bytes are gone from the data: what follows would
            // leave a hole, so nothing more is taken.
            m_failure.record();
            throw;
        }
    }
    m_dirty = false;
    m_dirtyStart = 0;
    m_dirtyEnd = 0;
}

void CBufferedStream::_writeDirty()
{
    uint64_t wanted = m_dirtyEnd - m_dirtyStart;
    uint64_t taken = 0;
    if (!m_inner->canSeek())
    {
        taken = m_inner->write(m_buffer + m_dirtyStart, wanted);
        m_inner->flush();
    }
    else
    {
        uint64_t position = m_inner->getPosition();
        m_inner->setPosition(m_bufferOffset + m_dirtyStart);
        taken = m_inner->write(m_buffer + m_dirtyStart, wanted);
        m_inner->flush();
        m_inner->setPosition(position);
    }
    // Our writes counted these bytes as written: losing them quietly would
    // turn a failed write (a file that never opened) into a success.
    if (taken < wanted)
        TAVRIN_THROW(CInvalidOperationException, "Buffered data could not be written!\n", C_FILE);
}

uint64_t CBufferedStream::getSize()
{
    // Changes still in the buffer may make the data longer.
    flush();
    return m_inner->getSize();
}

uint64_t CBufferedStream::setPosition(uint64_t offset)
{
    uint64_t position = m_inner->setPosition(offset);
    if (m_inner->canSeek())
        _fill();
    return position;
}

uint64_t CBufferedStream::seek(uint32_t origin, int64_t offset)
{
    uint64_t position = 0;
    if (origin == C_SEEK_CURRENT)
        position = m_inner->seek(C_SEEK_BEGIN, static_cast<int64_t>(getPosition()) + offset);
    else
    {
        if (origin == C_SEEK_END)
            flush(); // the end may still be in the buffer
        position = m_inner->seek(origin, offset);
    }
    if (m_inner->canSeek())
        _fill();
    return position;
}

} // namespace Engine
} // namespace Tavrin
