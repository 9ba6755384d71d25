#include "Engine/IKernel/Resources/CMemoryStream.h"

#include "Engine/IKernel/CException.h"

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/CMemoryStream";
// Growth is counted in 32 bits.
const uint64_t C_LARGEST_BLOCK = 0xFFFFFFFFull;
// Where an empty owned block starts doubling from.
const uint64_t C_SMALLEST_BLOCK = 16;

} // namespace

CMemoryStream::CMemoryStream(uint32_t capacity)
    : CStream(C_ACCESS_READ_WRITE), m_start(nullptr), m_position(0), m_dataSize(0), m_capacity(0), m_owns(true)
{
    if (capacity == 0)
        return;
    m_start = static_cast<unsigned char*>(malloc(capacity));
    if (!m_start)
        TAVRIN_THROW_AT(CInternalErrorException, "Failed to reallocate memory!", C_FILE, 78);
    m_capacity = capacity;
}

CMemoryStream::CMemoryStream(void* block, uint64_t size, uint32_t access)
    : CStream(access), m_start(static_cast<unsigned char*>(block)), m_position(0), m_dataSize(block ? size : 0),
      m_capacity(block ? size : 0), m_owns(false)
{
}

CMemoryStream::~CMemoryStream()
{
    if (m_owns)
        free(m_start);
}

uint64_t CMemoryStream::setPosition(uint64_t offset)
{
    m_position = offset;
    return offset;
}

uint64_t CMemoryStream::seek(uint32_t origin, int64_t offset)
{
    uint64_t base = 0;
    if (origin == C_SEEK_END)
        base = m_capacity;
    else if (origin == C_SEEK_CURRENT)
        base = m_position;
    else if (origin != C_SEEK_BEGIN)
        TAVRIN_THROW_AT(CInvalidOperationException, "Unknown steam type!", C_FILE, 148);
    if (offset >= 0)
        m_position = base + static_cast<uint64_t>(offset);
    else
    {
        // Nothing lies before the start.
        uint64_t back = 0 - static_cast<uint64_t>(offset);
        m_position = back > base ? 0 : base - back;
    }
    return m_position;
}

void CMemoryStream::_reserve(uint64_t wanted)
{
    if (wanted <= m_capacity)
        return;
    if (!m_owns)
        TAVRIN_THROW_AT(CInternalErrorException, "Memory stream cannot reallocate data it doesn't own!\n", C_FILE, 64);
    if (wanted > C_LARGEST_BLOCK)
        TAVRIN_THROW_AT(CInternalErrorException, "Failed to reallocate memory!", C_FILE, 78);
    uint64_t size = m_capacity ? m_capacity * 2 : C_SMALLEST_BLOCK;
    while (size < wanted)
        size *= 2;
    if (size > C_LARGEST_BLOCK)
        size = C_LARGEST_BLOCK;
    unsigned char* grown = static_cast<unsigned char*>(realloc(m_start, static_cast<size_t>(size)));
    if (!grown)
        TAVRIN_THROW_AT(CInternalErrorException, "Failed to reallocate memory!", C_FILE, 78);
    m_start = grown;
    m_capacity = size;
}

uint64_t CMemoryStream::write(const void* data, uint64_t count)
{
    if (count == 0 || !isWritable())
        return 0;
    if (count > C_LARGEST_BLOCK || m_position > C_LARGEST_BLOCK - count)
        _reserve(C_LARGEST_BLOCK + 1); // throws: beyond what a memory stream holds
    _reserve(m_position + count);
    // A cursor placed past the data leaves a gap: it reads as zeros.
    if (m_position > m_dataSize)
        memset(m_start + m_dataSize, 0, static_cast<size_t>(m_position - m_dataSize));
    memcpy(m_start + m_position, data, static_cast<size_t>(count));
    m_position += count;
    if (m_position > m_dataSize)
        m_dataSize = m_position;
    return count;
}

uint64_t CMemoryStream::read(void* buffer, uint64_t count)
{
    uint64_t available = m_dataSize > m_position ? m_dataSize - m_position : 0;
    uint64_t got = count < available ? count : available;
    if (got)
        memcpy(buffer, m_start + m_position, static_cast<size_t>(got));
    m_position += got;
    return got;
}

CArray<char>* CMemoryStream::toArray()
{
    CArray<char>* array = new CArray<char>();
    if (m_dataSize)
    {
        array->setCount(m_dataSize);
        memcpy(array->getData(), m_start, static_cast<size_t>(m_dataSize));
    }
    return array;
}

} // namespace Engine
} // namespace Tavrin
