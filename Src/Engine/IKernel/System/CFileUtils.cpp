#include "Engine/IKernel/System/CFileUtils.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/System/CFileUtils";

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool endsWithSeparator(const CString& text)
{
    return text.getLength() > 0 && isSeparator(text[text.getLength() - 1]);
}

CString withoutTrailingSeparator(const CString& path)
{
    return endsWithSeparator(path) ? path.left(path.getLength() - 1) : path;
}

CString joinPath(const CString& folder, const CString& name)
{
    return endsWithSeparator(folder) ? folder + name : folder + "/" + name;
}

// The file name's part before its last dot.
CString baseNameOf(const CString& path)
{
    int32_t start = path.getLength();
    while (start > 0 && !isSeparator(path[start - 1]))
        --start;
    CString name(path.c_str() + start);
    for (int32_t dot = name.getLength() - 1; dot >= 0; --dot)
        if (name[dot] == '.')
            return name.left(dot);
    return name;
}

} // namespace

CArray<_SPathAlias>* CFileUtils::s_aliases = nullptr;

void CFileUtils::_requireAliases(int32_t line)
{
    if (!s_aliases)
        TAVRIN_THROW_AT(CInvalidOperationException, "Alias array does not exist\n", C_FILE, line);
}

void CFileUtils::createAliasArray()
{
    if (s_aliases)
        TAVRIN_THROW_AT(CInvalidOperationException, "Alias array already created\n", C_FILE, 169);
    s_aliases = new CArray<_SPathAlias>();
    try
    {
        // Folders the system names are taken as they stand, never read for
        // aliases: a "$" in them is a letter (\\host\c$\tools, /tmp/share$).
        const CString& folder = IKernel::getExecutableFolder();
        _addSystemAlias("Exe", folder.isEmpty() ? CString(".") : folder);
        CString temporary = CFileSystem::getTemporaryFolder();
        _addSystemAlias("Temp", temporary);
        CString cache = joinPath(temporary, baseNameOf(CFileSystem::getExecutablePath())) + "/Cache";
        _createResolvedDirectory(cache);
        _addSystemAlias("Cache", cache);
        CString documents;
        CString user = CFileSystem::getDocumentsFolder(documents)
                           ? joinPath(documents, IKernel::getApplicationName())
                           : joinPath(temporary, IKernel::getApplicationName()) + "/User";
        _addSystemAlias("User", user);
        _createResolvedDirectory(user);
    }
    catch (...)
    {
        // A half-made table would pass for a working one.
        destroyAliasArray();
        throw;
    }
}

void CFileUtils::destroyAliasArray()
{
    _requireAliases(220);
    delete s_aliases;
    s_aliases = nullptr;
}

void CFileUtils::addAlias(const CString& name, const CString& path)
{
    _requireAliases(230);
    if (name.isEmpty())
        TAVRIN_THROW_AT(CInvalidOperationException, "Alias string is empty\n", C_FILE, 231);
    if (path.isEmpty())
    {
        removeAlias(name);
        return;
    }
    CString resolved = resolveAliases(path);
    // Resolution would replace the token by text holding the token, forever.
    if (resolved.find("$" + name) >= 0)
        TAVRIN_THROW(CInvalidOperationException, "Alias $" + name + " cannot stand for a path containing itself\n", C_FILE);
    for (_SPathAlias& alias : *s_aliases)
    {
        if (alias.name == name)
        {
            alias.path = resolved;
            return;
        }
    }
    s_aliases->add(_SPathAlias{name, resolved});
}

void CFileUtils::_addSystemAlias(const CString& name, const CString& path)
{
    if (!path.isEmpty())
        s_aliases->add(_SPathAlias{name, path});
}

void CFileUtils::removeAlias(const CString& name)
{
    _requireAliases(259);
    if (name.isEmpty())
        TAVRIN_THROW_AT(CInvalidOperationException, "Alias string is empty\n", C_FILE, 260);
    for (uint64_t i = 0; i < s_aliases->getCount(); ++i)
    {
        if ((*s_aliases)[i].name == name)
        {
            s_aliases->removeAt(i);
            return;
        }
    }
}

CString CFileUtils::_replaceToken(const CString& text, int32_t position, int32_t tokenLength, const CString& with)
{
    int32_t after = position + tokenLength;
    // "C:\T\" + "/a.txt" must not give a doubled separator.
    if (endsWithSeparator(with) && after < text.getLength() && isSeparator(text[after]))
        ++after;
    return text.left(position) + with + (text.c_str() + after);
}

CString CFileUtils::resolveAliases(const CString& path)
{
    if (!s_aliases)
        return CString();
    CString result = path;
    for (const _SPathAlias& alias : *s_aliases)
    {
        CString token = "$" + alias.name;
        // Searching on after the inserted text guarantees an end even when the
        // inserted text and its neighbours happen to spell the token again.
        int32_t from = 0;
        for (int32_t p = result.find(token, from); p >= 0; p = result.find(token, from))
        {
            result = _replaceToken(result, p, token.getLength(), alias.path);
            from = p + alias.path.getLength();
        }
    }
    return result;
}

CString CFileUtils::resolveCurrent(const CString& path)
{
    _requireAliases(326);
    static const CString token("$current");
    int32_t p = path.find(token);
    if (p < 0)
        return path;
    return _replaceToken(path, p, token.getLength(), getCurrentDirectory());
}

CString CFileUtils::normalizePath(const CString& path)
{
    _requireAliases(361);
    int32_t length = path.getLength();
    if (length == 0)
        return path;
    char* text = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    memcpy(text, path.getData(), static_cast<size_t>(length) + 1);
    // "./" goes only as a whole element: in "v1./" or "../" the dot is part of a name.
    for (int32_t i = 0; i < length;)
    {
        if (text[i] == '.' && isSeparator(text[i + 1]) && (i == 0 || isSeparator(text[i - 1])))
        {
            memmove(text + i, text + i + 2, static_cast<size_t>(length - i - 1));
            length -= 2;
        }
        else
            ++i;
    }
    // Fold "dir/../" from the left. A fold cannot create a "/../" before the
    // parent it cut at, so the next search starts there.
    int32_t from = 0;
    while (length >= 4)
    {
        int32_t up = -1;
        for (int32_t i = from; i + 3 < length; ++i)
        {
            if (isSeparator(text[i]) && text[i + 1] == '.' && text[i + 2] == '.' && isSeparator(text[i + 3]))
            {
                up = i;
                break;
            }
        }
        if (up < 0)
            break;
        int32_t parent = up - 1;
        while (parent >= 0 && !isSeparator(text[parent]))
            --parent;
        if (parent < 0)
        {
            free(text);
            TAVRIN_THROW_AT(CInvalidArgumentException, "No parent directory found\n", C_FILE, 388);
        }
        memmove(text + parent + 1, text + up + 4, static_cast<size_t>(length - up - 3));
        length -= up + 3 - parent;
        from = parent;
    }
    CString result;
    result.adopt(text, length);
    return result;
}

CString CFileUtils::fullPath(const CString& path)
{
    CString result = normalizePath(resolveCurrent(resolveAliases(path)));
    int32_t length = result.getLength();
    while (length > 0 && result[length - 1] == '/')
        --length;
    return length == result.getLength() ? result : result.left(length);
}

CString CFileUtils::getCurrentDirectory()
{
    CString directory;
    int32_t status = CFileSystem::readCurrentDirectory(directory);
    if (status == CFileSystem::C_DIRECTORY_UNREADABLE)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot read current directory\n", C_FILE, 506);
    if (status != CFileSystem::C_DIRECTORY_READ)
        return CString();
    if (!endsWithSeparator(directory))
        directory += "\\";
    return directory;
}

void CFileUtils::createDirectory(const CString& path)
{
    if (path.isEmpty())
        return;
    _createResolvedDirectory(resolveAliases(withoutTrailingSeparator(path)));
}

void CFileUtils::_createResolvedDirectory(const CString& path)
{
    if (CFileSystem::queryStatus(path, nullptr, nullptr) || makeDirectories(path))
        return;
    if (getLog())
        logLastError();
    TAVRIN_THROW_AT(CInvalidOperationException, "Cannot create directory\n", C_FILE, 632);
}

bool CFileUtils::makeDirectories(const CString& path)
{
    if (CFileSystem::makeDirectory(path))
        return true;
    int32_t slash = path.getLength() - 1;
    while (slash > 0 && !isSeparator(path[slash]))
        --slash;
    return slash > 0 && makeDirectories(path.left(slash)) && CFileSystem::makeDirectory(path);
}

bool CFileUtils::exists(const CString& path)
{
    if (path.isEmpty())
        return false;
    return CFileSystem::queryStatus(resolveAliases(withoutTrailingSeparator(path)), nullptr, nullptr);
}

uint32_t CFileUtils::fileSize(const CString& path)
{
    uint64_t size = 0;
    if (path.isEmpty() || !CFileSystem::queryStatus(resolveAliases(path), &size, nullptr))
        return 0;
    return static_cast<uint32_t>(size);
}

uint64_t CFileUtils::modificationTime(const CString& path)
{
    uint64_t time = 0;
    if (path.isEmpty() || !CFileSystem::queryStatus(resolveAliases(path), nullptr, &time))
        return 0;
    return time;
}

} // namespace Engine
} // namespace Tavrin
