#include "Engine/IKernel/System/CFileName.h"

#include "Engine/IKernel/System/CFileSystem.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/CFileUtils.h"

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/System/CFileName";

int32_t lastIndexOf(const CString& text, char c)
{
    for (int32_t i = text.getLength() - 1; i >= 0; --i)
        if (text[i] == c)
            return i;
    return -1;
}

bool startsWithPair(const CString& path)
{
    return path.getLength() > 1 && path[0] == '\\' && path[1] == '\\';
}

CString unifySeparators(const CString& path)
{
    CString unified = path.replace("/", "\\");
    // A network path keeps the pair that makes it one: \\server\share with
    // one separator would be a folder on the current drive.
    bool network = CFileSystem::hasNetworkPaths() && startsWithPair(unified);
    unified = unified.replace("\\\\", "\\");
    return network && !startsWithPair(unified) ? "\\" + unified : unified;
}

} // namespace

CFileName::CFileName(const CString& path) : m_givenPath(path)
{
    m_fullPath = CFileUtils::normalizePath(CFileUtils::resolveCurrent(CFileUtils::resolveAliases(path)));
    if (!m_fullPath.isEmpty() && m_fullPath.find("$") >= 0)
        TAVRIN_THROW_AT(CInvalidOperationException, "File name " + path + "contains unresolved alias(es)\n", C_FILE, 26);
    m_fullPath = unifySeparators(m_fullPath);
    int32_t slash = lastIndexOf(m_fullPath, '\\');
    if (slash < 0)
    {
        CString directory = CFileUtils::getCurrentDirectory();
        if (directory.isEmpty() || (directory[directory.getLength() - 1] != '/' && directory[directory.getLength() - 1] != '\\'))
            directory += "/";
        // The current directory keeps the one separator of a full path too.
        m_fullPath = unifySeparators(directory + m_fullPath);
        slash = lastIndexOf(m_fullPath, '\\');
        if (slash < 0)
            TAVRIN_THROW_AT(CInvalidOperationException, "Directory slash not found\n", C_FILE, 69);
    }
    m_directory = m_fullPath.left(slash + 1);
    m_fileName = CString(m_fullPath.c_str() + slash + 1);
    int32_t dot = lastIndexOf(m_fileName, '.');
    if (dot >= 0)
    {
        m_baseName = m_fileName.left(dot);
        m_extension = CString(m_fileName.c_str() + dot + 1);
    }
    else
        m_baseName = m_fileName;
}

CString CFileName::toNativeFullPath(const char* name)
{
    if (!CFileUtils::hasAliasArray())
        return CString(name);
    return CFileSystem::toNativePath(CFileName(name).getFullPath());
}

} // namespace Engine
} // namespace Tavrin
