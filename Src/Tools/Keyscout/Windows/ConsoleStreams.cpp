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
    if ((output && errors) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!output)
        freopen("CONOUT$", "w", stdout);
    if (!errors)
        freopen("CONOUT$", "w", stderr);
}

FILE* writableOrNul(FILE* stream)
{
    if (_fileno(stream) >= 0)
        return stream;
    FILE* nul = fopen("NUL", "w");
    return nul ? nul : stream;
}
