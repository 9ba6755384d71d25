#pragma once

#include <cstdio>

// Started from a console, the program writes to it: standard output and
// error that the parent did not redirect go to the parent's console. Started
// from Explorer there is none, and nothing changes.
void attachParentConsole();

// The stream itself when it has a file behind it, else one on NUL. Started
// from Explorer (no handles) a write to it would fail and turn the program's
// status into a failure; the C runtime cannot reopen such a stream under Wine.
FILE* writableOrNul(FILE* stream);
