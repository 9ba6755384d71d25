#pragma once

#include <string>

// The folder for the log and the crash report: the executable's, or when
// that is not writable (a system-wide install), $XDG_STATE_HOME/keyscout,
// said in one line on standard error. Gives it to the kernel.
void chooseReportFolder();

// The fallback folder for the environment given (XDG_STATE_HOME, HOME).
std::string stateFolder(const char* xdgStateHome, const char* home);
