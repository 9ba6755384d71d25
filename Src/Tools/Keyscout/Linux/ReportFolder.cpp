#include "Tools/Keyscout/Linux/ReportFolder.h"

#include "Engine/IKernel/IKernel.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string executableFolder()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return ".";
    std::string folder(path, static_cast<size_t>(length));
    size_t slash = folder.rfind('/');
    return slash == 0 ? "/" : folder.substr(0, slash);
}

// mkdir -p; false when the folder is not there afterwards.
bool createFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        mkdir(folder.substr(0, slash).c_str(), 0755);
    return mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
}

} // namespace

std::string stateFolder(const char* xdgStateHome, const char* home)
{
    // The base directory rules: only an absolute path counts.
    if (xdgStateHome && xdgStateHome[0] == '/')
        return std::string(xdgStateHome) + "/keyscout";
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/keyscout";
}

void chooseReportFolder()
{
    std::string folder = executableFolder();
    if (access(folder.c_str(), W_OK) == 0)
        return;
    std::string state = stateFolder(getenv("XDG_STATE_HOME"), getenv("HOME"));
    createFolders(state);
    fprintf(stderr, "Keyscout: %s is not writable, so the log is %s/keyscout_log.txt\n", folder.c_str(), state.c_str());
    Tavrin::Engine::IKernel::setReportFolder(state.c_str());
}
