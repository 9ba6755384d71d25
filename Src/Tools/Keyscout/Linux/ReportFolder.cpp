#include "Tools/Keyscout/Linux/ReportFolder.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, strlen(prefix), prefix) == 0;
}

std::string reasonOf(const std::string& path, int error)
{
    return "'" + path + "': " + strerror(error);
}

bool isOwnFolder(const std::string& folder)
{
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

// Why a folder may not be made in parent, empty when it may. Root may write
// anywhere: a folder it made in a user's home (sudo -E keeps HOME) would be
// root's, and the user's own programs could no longer write there.
std::string refusedParent(const std::string& parent, const std::string& part)
{
    struct stat info;
    if (stat(parent.c_str(), &info) != 0)
        return reasonOf(parent, errno);
    if (!S_ISDIR(info.st_mode))
        return reasonOf(part, ENOTDIR);
    if (info.st_uid == geteuid())
        return std::string();
    // What making it would have said for an unprivileged user.
    if (faccessat(AT_FDCWD, parent.c_str(), W_OK, AT_EACCESS) != 0)
        return reasonOf(part, errno);
    return "'" + parent + "' is not a folder of the user's own";
}

// Every missing folder of the path is made private, as the base directory
// rules ask of the state folder's parents, and only in a folder of the user's.
std::string makeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1))
    {
        std::string part = folder.substr(0, slash);
        struct stat info;
        if (lstat(part.c_str(), &info) != 0)
        {
            std::string parent = part.substr(0, std::max<size_t>(part.rfind('/'), 1));
            std::string refusal = refusedParent(parent, part);
            if (!refusal.empty())
                return refusal;
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return reasonOf(part, errno);
        }
        if (slash == std::string::npos)
            return std::string();
    }
}

} // namespace

bool isInstalledProgram(const std::string& executablePath)
{
    for (const char* folder : {"/usr/", "/bin/", "/sbin/", "/opt/"})
        if (startsWith(executablePath, folder))
            return true;
    return false;
}

std::string homeFolder(const char* home)
{
    // Another user's HOME, kept by sudo -E, is not this user's home.
    if (home && home[0] == '/' && isOwnFolder(home))
        return home;
    // Never a shared folder in its place: another user could plant links there.
    const passwd* entry = getpwuid(geteuid());
    return entry && entry->pw_dir && entry->pw_dir[0] == '/' ? entry->pw_dir : std::string();
}

std::string stateFolder(const char* xdgStateHome, const char* home)
{
    // The base directory rules: only an absolute path counts.
    if (xdgStateHome && xdgStateHome[0] == '/')
        return std::string(xdgStateHome) + "/keyscout";
    std::string folder = homeFolder(home);
    return folder.empty() ? folder : folder + "/.local/state/keyscout";
}

std::string preparePrivateFolder(const std::string& folder)
{
    if (folder.empty() || folder[0] != '/')
        return "no home folder";
    std::string failure = makeFolders(folder);
    if (!failure.empty())
        return failure;
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0)
        return reasonOf(folder, errno);
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid())
        return "'" + folder + "' is not a folder of the user's own";
    // One made by an older version may be open to others.
    if ((info.st_mode & 077) && chmod(folder.c_str(), 0700) != 0)
        return reasonOf(folder, errno);
    if (access(folder.c_str(), W_OK) != 0)
        return reasonOf(folder, errno);
    return std::string();
}

void chooseReportFolder()
{
    std::string path = Tavrin::Engine::CProcess::getExecutablePath().c_str();
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (!isInstalledProgram(path) && access(folder.c_str(), W_OK) == 0)
        return;
    std::string state = stateFolder(getenv("XDG_STATE_HOME"), getenv("HOME"));
    std::string failure = preparePrivateFolder(state);
    if (!failure.empty())
    {
        fprintf(stderr, "Keyscout: no log could be written: %s\n", failure.c_str());
        Tavrin::Engine::IKernel::setReportsEnabled(false);
        return;
    }
    if (!isInstalledProgram(path))
        fprintf(stderr, "Keyscout: %s is not writable, so the log is %s/keyscout_log.txt\n", folder.c_str(), state.c_str());
    Tavrin::Engine::IKernel::setReportFolder(state.c_str());
}
