#pragma once

// Whether this session can show windows at all. Under Wine without an X
// display every window creation fails, the dialog's as well.
bool canCreateWindows();
