#pragma once

// Marks of the program's start for the start-up benchmark: when the
// environment variable KEYSCOUT_STARTUP_TRACE names a file, every mark
// appends "<phase> <ms>" to it, the time read from the engine's
// high-resolution counter (CLOCK_MONOTONIC on Linux, the benchmark's clock).
// Without it a mark costs one look at the environment.
class CStartupTrace
{
public:
    static void mark(const char* phase);
    // The variable that names the file.
    static const char* const C_VARIABLE;
};
