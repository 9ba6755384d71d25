#include "Tools/Keyscout/Linux/CDialogLibrary.h"

#include "Engine/IKernel/System/CFileSystem.h"

#include <dlfcn.h>
#include <unistd.h>

const char* const CDialogLibrary::C_FILE_NAME = "keyscout-gtk.so";

namespace {

// The program's own folder, links resolved, as the loader saw it.
std::string programFolder()
{
    std::string program = Tavrin::Engine::CFileSystem::getExecutablePath().c_str();
    size_t separator = program.rfind('/');
    return separator == std::string::npos ? "." : program.substr(0, separator);
}

} // namespace

bool CDialogLibrary::load()
{
    std::string folder = programFolder();
    const std::string candidates[] = {folder + "/" + C_FILE_NAME,
                                      folder + "/" KEYSCOUT_LIBRARY_FOLDER "/" + C_FILE_NAME};
    for (const std::string& candidate : candidates)
        if (access(candidate.c_str(), F_OK) == 0)
            return _loadFrom(candidate);
    m_error = "neither '" + candidates[0] + "' nor '" + candidates[1] + "' exists";
    return false;
}

bool CDialogLibrary::_loadFrom(const std::string& path)
{
    // Every name bound now: a library that does not fit this program is
    // refused here, with the name it misses, not at the first call.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    using TEntriesFunction = const SDialogEntries* (*)();
    auto function = library ? reinterpret_cast<TEntriesFunction>(dlsym(library, C_DIALOG_ENTRIES_FUNCTION)) : nullptr;
    m_entries = function ? function() : nullptr;
    if (!m_entries)
    {
        const char* reason = dlerror();
        m_error = reason ? reason : "'" + path + "' gives no dialog";
        if (library)
            dlclose(library);
    }
    return m_entries != nullptr;
}
