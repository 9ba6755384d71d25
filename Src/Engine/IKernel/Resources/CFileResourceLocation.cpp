#include "Engine/IKernel/Resources/CFileResourceLocation.h"

#include "Engine/IKernel/Resources/CFileStream.h"
#include "Engine/IKernel/System/CFileUtils.h"

namespace Tavrin {
namespace Engine {

CFileResourceLocation::CFileResourceLocation(const CString& path)
    : m_path(path), m_modificationTime(CFileUtils::modificationTime(path)), m_size(CFileUtils::fileSize(path))
{
}

CManagedPtr<CResourceLocation> CFileResourceLocation::create(const CString& path)
{
    return CManagedPtr<CResourceLocation>::adopt(new CFileResourceLocation(path));
}

CManagedPtr<CStream> CFileResourceLocation::openStream()
{
    CFileStream* stream = new CFileStream(CStream::C_ACCESS_READ, m_path);
    if (!stream->getFile().isOpen())
    {
        stream->release();
        return CManagedPtr<CStream>();
    }
    return CManagedPtr<CStream>::adopt(stream);
}

uint32_t CFileResourceLocation::refresh()
{
    m_modificationTime = CFileUtils::modificationTime(m_path);
    m_size = CFileUtils::fileSize(m_path);
    return m_size;
}

bool CFileResourceLocation::hasChanged()
{
    return CFileUtils::modificationTime(m_path) != m_modificationTime || CFileUtils::fileSize(m_path) != m_size;
}

CXMLNode* CFileResourceLocation::toXML(CXMLNode* parent)
{
    return _makeNode(parent, m_path);
}

uint64_t CFileResourceLocation::getModificationTime()
{
    return CFileUtils::modificationTime(m_path);
}

} // namespace Engine
} // namespace Tavrin
