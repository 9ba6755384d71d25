#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// One alias of the table: "$name" stands for path (itself free of known aliases).
struct _SPathAlias
{
    CString name;
    CString path;
};

// Path aliases and the path operations of the engine. The alias table has no
// lock: the kernel sets it up and tears it down on the main thread.
class CFileUtils
{
public:
    // Creates the table with $Exe, $Temp, $Cache and $User.
    static void createAliasArray();
    static void destroyAliasArray();
    static bool hasAliasArray() { return s_aliases != nullptr; }
    static const CArray<_SPathAlias>* getAliasArray() { return s_aliases; }

    // Adds or replaces an alias; an empty path removes it.
    static void addAlias(const CString& name, const CString& path);
    static void removeAlias(const CString& name);

    // Every known alias token replaced; the empty string without a table.
    static CString resolveAliases(const CString& path);
    // The first "$current" replaced by the current directory.
    static CString resolveCurrent(const CString& path);
    // Drops "./" and folds "dir/../".
    static CString normalizePath(const CString& path);
    static CString fullPath(const CString& path);

    // Always ends with a separator; empty when the system cannot size it.
    static CString getCurrentDirectory();
    // Creates the directory and any missing parents.
    static void createDirectory(const CString& path);
    // The folder and its missing parents, without aliases; false, with the
    // system's error, when one of them cannot be made.
    static bool makeDirectories(const CString& path);
    static bool exists(const CString& path);
    static uint32_t fileSize(const CString& path);
    static uint64_t modificationTime(const CString& path);

private:
    static void _requireAliases(int32_t line);
    // A folder as the system names it: stored and made without reading it for aliases.
    static void _addSystemAlias(const CString& name, const CString& path);
    static void _createResolvedDirectory(const CString& path);
    static CString _replaceToken(const CString& text, int32_t position, int32_t tokenLength, const CString& with);

    static CArray<_SPathAlias>* s_aliases;
};

} // namespace Engine
} // namespace Tavrin
