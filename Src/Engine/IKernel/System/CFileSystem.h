#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>
#include <cstdio>

namespace Tavrin {
namespace Engine {

// The operating system's side of the file utilities: one implementation per
// platform. Paths given here are resolved already (no aliases).
class CFileSystem
{
public:
    static constexpr int32_t C_DIRECTORY_READ = 0;
    static constexpr int32_t C_DIRECTORY_NO_LENGTH = 1;
    static constexpr int32_t C_DIRECTORY_UNREADABLE = 2;

    // Outcomes of openOwnFile.
    static constexpr int32_t C_OPEN_DONE = 0;
    static constexpr int32_t C_OPEN_IN_USE = 1;
    static constexpr int32_t C_OPEN_FAILED = 2;

    // The current directory as the system spells it; one of the C_DIRECTORY_ codes.
    static int32_t readCurrentDirectory(CString& directory);
    // True when the directory was made or already is one.
    static bool makeDirectory(const CString& path);
    // Size and last modification (seconds since 1970 UTC) of a file or directory.
    static bool queryStatus(const CString& path, uint64_t* size, uint64_t* modificationTime);
    // The temporary folder, ending with a separator; never truncated.
    static CString getTemporaryFolder();
    // The running executable's full path; never truncated.
    static CString getExecutablePath();
    // The user's documents folder; false when the system has none to offer.
    static bool getDocumentsFolder(CString& folder);
    // Whether a path that begins with two separators names a network share
    // (\\server\share), so that the pair must be kept whole.
    static bool hasNetworkPaths();
    // The engine writes "\\" as its separator; this is the spelling the system takes.
    static CString toNativePath(const CString& path);
    // A C runtime stream on the file named in the system's spelling; paths of any length.
    static FILE* openFile(const CString& path, const char* mode);
    // A text stream appending to a file that this process alone writes (the
    // log, a crash report), created when missing and emptied when `empty`.
    // Whatever else stands at the name (a symbolic link, another name of
    // another file) is removed, never written through. Until the stream is
    // closed, another process's open of the file answers C_OPEN_IN_USE.
    static FILE* openOwnFile(const CString& path, bool empty, int32_t* outcome);
    // A stream reading a plain file of this user's, or null: never through a
    // symbolic link, never waiting on a pipe someone put at the name.
    static FILE* openOwnFileToRead(const CString& path);
    static bool removeFile(const CString& path);
    // Puts the file `from` in the place of `to` in one step: a reader of `to`
    // finds the old file or the new one, never a mix.
    static bool replaceFile(const CString& from, const CString& to);
    // Removes an empty directory.
    static bool removeDirectory(const CString& path);
};

} // namespace Engine
} // namespace Tavrin
