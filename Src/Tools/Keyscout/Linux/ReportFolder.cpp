#include "Tools/Keyscout/Linux/ReportFolder.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CProcess.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::string stateFolder(const char* xdgStateHome, const char* home)
{
    // The base directory rules: only an absolute path counts.
    if (xdgStateHome && xdgStateHome[0] == '/')
        return std::string(xdgStateHome) + "/keyscout";
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/keyscout";
}

void chooseReportFolder()
{
    std::string path = Tavrin::Engine::CProcess::getExecutablePath().c_str();
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (access(folder.c_str(), W_OK) == 0)
        return;
    // The kernel's install creates the folder.
    std::string state = stateFolder(getenv("XDG_STATE_HOME"), getenv("HOME"));
    fprintf(stderr, "Keyscout: %s is not writable, so the log is %s/keyscout_log.txt\n", folder.c_str(), state.c_str());
    Tavrin::Engine::IKernel::setReportFolder(state.c_str());
}
