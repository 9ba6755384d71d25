#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Small operating-system queries used by the log and error reports.
class CSystemServices
{
public:
    // Bytes of physical memory the process uses (its working set).
    static uint64_t getWorkingSetBytes();
    // Bytes of physical memory still available to the system.
    static uint64_t getAvailablePhysicalBytes();
    // Text for the debugger's output window (standard error without one).
    static void debugOutput(const char* text);
    // The calling thread's last system error code.
    static int32_t getLastError();
    static void setLastError(int32_t code);
    // The system's text for an error code; free it with freeErrorText.
    static char* getErrorText(int32_t code);
    static void freeErrorText(char* text);
    // Native ID of the calling thread and process.
    static uint32_t getCurrentThreadId();
    static uint32_t getCurrentProcessId();
    // Handles naming the calling process and thread in reports.
    static void* getCurrentProcessHandle();
    static void* getCurrentThreadHandle();
    // Text that names the running boot of the machine and changes with every
    // boot; empty when the system cannot tell.
    static CString getBootIdentity();
};

// Shows text and caption modally; true only when the user confirmed with OK.
bool showMessageBox(void* ownerWindow, const char* text, const char* caption);

} // namespace Engine
} // namespace Tavrin
