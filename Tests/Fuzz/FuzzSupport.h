#pragma once

#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/IKernel.h"

#include <cstdio>
#include <cstdlib>

// Quiet, fast kernel for fuzzing: no CPU measurement in crash reports, and
// the reports of expected throws go to one scratch file.
inline void tavrinFuzzSetUp()
{
    Tavrin::Engine::IKernel::setTestMode(true);
    Tavrin::Engine::CStackTrace::installCrashHandler("fuzz_crash_report.txt");
}

// A broken promise of the code under test: stop like a crash.
#define FUZZ_CHECK(condition)                                                  \
    do                                                                         \
    {                                                                          \
        if (!(condition))                                                      \
        {                                                                      \
            fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            abort();                                                           \
        }                                                                      \
    } while (0)
