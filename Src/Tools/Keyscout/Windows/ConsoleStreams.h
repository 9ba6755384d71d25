#pragma once

// Started from a console, the program writes to it: standard output and
// error that the parent did not redirect go to the parent's console. Started
// from Explorer there is none, and they write to NUL.
void attachParentConsole();
