#pragma once

class CKeyscout;

// The GTK dialog lives in a library of its own (keyscout-gtk.so), loaded
// only when the dialog is shown: --once then starts without GTK's dozens of
// libraries. The library exports one function that gives these entries; it
// calls back into the program for everything else.
struct SDialogEntries
{
    // Opens GTK's display, X11 only when `x11Only`; false when none opens.
    bool (*openDisplay)(bool x11Only);
    // Before the engine starts: the windows' icon, and GTK's fonts begun.
    void (*prepare)();
    // Shows the dialog until it is closed; the program's exit status.
    int (*run)(CKeyscout& application);
};

extern "C" const SDialogEntries* keyscoutDialogEntries();
constexpr const char* C_DIALOG_ENTRIES_FUNCTION = "keyscoutDialogEntries";
