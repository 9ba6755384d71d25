#include "Tools/Keyscout/Windows/DisplayCheck.h"

#include <windows.h>

bool canCreateWindows()
{
    // Never shown: the first ShowWindow, which takes the start-up show
    // state, is left to the dialog.
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return false;
    DestroyWindow(window);
    return true;
}
