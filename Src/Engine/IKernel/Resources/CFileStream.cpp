#include "Engine/IKernel/Resources/CFileStream.h"

#include "Engine/IKernel/CException.h"

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/CFileStream";
// The largest transfer one file operation takes.
const uint64_t C_LARGEST_PIECE = 0xFFFFFFFFull;

uint32_t fileMode(uint32_t access)
{
    switch (access)
    {
    case CStream::C_ACCESS_READ:
        return CFile::C_MODE_READ;
    case CStream::C_ACCESS_WRITE:
        return CFile::C_MODE_WRITE;
    case CStream::C_ACCESS_READ_WRITE:
        return CFile::C_MODE_READ_WRITE;
    default:
        TAVRIN_THROW_AT(CInvalidOperationException, "Invalid stream access specified!", C_FILE, 39);
    }
}

} // namespace

CFileStream::CFileStream(uint32_t access, const CString& path)
    : CStream(access), m_file(CFileName(path), fileMode(access), access == C_ACCESS_READ ? CFile::C_SHARE_READ : CFile::C_SHARE_NONE)
{
}

uint64_t CFileStream::getSize()
{
    return m_file.getSize();
}

uint64_t CFileStream::getPosition()
{
    return m_file.getPosition();
}

uint64_t CFileStream::setPosition(uint64_t offset)
{
    m_file.seek(static_cast<int64_t>(offset), CFile::C_SEEK_BEGIN);
    return m_file.getPosition();
}

uint64_t CFileStream::seek(uint32_t origin, int64_t offset)
{
    // The stream counts "end" before "cursor"; the file the other way round.
    static const uint32_t fileOrigin[3] = {CFile::C_SEEK_BEGIN, CFile::C_SEEK_END, CFile::C_SEEK_CURRENT};
    if (origin > C_SEEK_CURRENT)
        TAVRIN_THROW_AT(CInvalidOperationException, "Unknown steam type!", C_FILE, 80);
    m_file.seek(offset, fileOrigin[origin]);
    return m_file.getPosition();
}

void CFileStream::close()
{
    m_file.close();
}

uint64_t CFileStream::write(const void* data, uint64_t count)
{
    const char* source = static_cast<const char*>(data);
    uint64_t total = 0;
    while (total < count)
    {
        uint32_t piece = static_cast<uint32_t>(count - total < C_LARGEST_PIECE ? count - total : C_LARGEST_PIECE);
        uint32_t written = m_file.write(source + total, piece);
        total += written;
        if (written < piece)
            break;
    }
    return total;
}

uint64_t CFileStream::read(void* buffer, uint64_t count)
{
    char* target = static_cast<char*>(buffer);
    uint64_t total = 0;
    while (total < count)
    {
        uint32_t piece = static_cast<uint32_t>(count - total < C_LARGEST_PIECE ? count - total : C_LARGEST_PIECE);
        uint32_t got = 0;
        if (!m_file.read(target + total, piece, &got))
            break;
        total += got;
        if (got < piece)
            break;
    }
    return total;
}

} // namespace Engine
} // namespace Tavrin
