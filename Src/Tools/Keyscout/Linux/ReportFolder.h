#pragma once

#include <string>

// The folder for the log and the crash report: beside the executable for a
// build or an unpacked folder that is writable; otherwise (an installed
// program, whoever runs it) the user's private state folder, said in one
// line on standard error. When no folder fits, one line says why and the
// program runs without reports. Gives the choice to the kernel.
void chooseReportFolder();

// Installed programs live in the system's program folders (below /usr, /bin,
// /sbin or /opt); they never write beside themselves.
bool isInstalledProgram(const std::string& executablePath);

// The user's home: HOME when it is an absolute path to a folder the
// (effective) user owns, else the password database's entry for the user;
// empty when neither has one.
std::string homeFolder(const char* home);

// $XDG_STATE_HOME/keyscout (only an absolute one counts), else
// <home>/.local/state/keyscout; empty without a home.
std::string stateFolder(const char* xdgStateHome, const char* home);

// Makes the folder and its missing parents private to the user (0700), each
// only inside a folder of the user's own, and checks that it is a folder of
// the user's own; empty when it is fit for reports, else why not.
std::string preparePrivateFolder(const std::string& folder);
