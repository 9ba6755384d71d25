#include "Tools/Keyscout/Windows/ConsoleStreams.h"

#include <windows.h>

#include <cstdio>

namespace {

bool isUsable(DWORD stream)
{
    HANDLE handle = GetStdHandle(stream);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void attachParentConsole()
{
    // A GUI program gets no console of its own; redirected handles are
    // inherited all the same and are kept.
    bool output = isUsable(STD_OUTPUT_HANDLE);
    bool errors = isUsable(STD_ERROR_HANDLE);
    bool console = !(output && errors) && AttachConsole(ATTACH_PARENT_PROCESS);
    // Without a console (from Explorer) the dialog's results go nowhere, as
    // they should: a stream without a handle would fail every write and
    // turn the program's status into a failure.
    const char* elsewhere = console ? "CONOUT$" : "NUL";
    if (!output)
        freopen(elsewhere, "w", stdout);
    if (!errors)
        freopen(elsewhere, "w", stderr);
}
