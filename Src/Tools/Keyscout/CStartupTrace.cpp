#include "Tools/Keyscout/CStartupTrace.h"

#include "Engine/IKernel/System/CTimer.h"

#include <cstdio>
#include <cstdlib>

using namespace Tavrin::Engine;

const char* const CStartupTrace::C_VARIABLE = "KEYSCOUT_STARTUP_TRACE";

void CStartupTrace::mark(const char* phase)
{
    // Read once: the phases come before and after the environment changes
    // the program makes for its libraries.
    static const char* const file = getenv(C_VARIABLE);
    if (!file || !*file)
        return;
    uint64_t counter = CTimer::readCounter();
    FILE* trace = fopen(file, "a");
    if (!trace)
        return;
    fprintf(trace, "%s %.3f\n", phase, static_cast<double>(counter) * 1000.0 / static_cast<double>(CTimer::getCounterFrequency()));
    fclose(trace);
}
